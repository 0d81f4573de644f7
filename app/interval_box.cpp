#include "app/interval_box.h"

#include <cstdio>
#include <string>

#include "app/text_format.h"

void writeIntervalBox(Window& window, const char* pattern, double left, double right) {
  window.state.intervalBox = {format(pattern, left, right), left, right};
  window.setBoxText(Box::Edit3, window.state.intervalBox.text);
}

void readIntervalBox(const Window& window, double& left, double& right) {
  const std::string text = window.boxText(Box::Edit3);
  const IntervalBoxText& written = window.state.intervalBox;
  if (!written.text.empty() && text == written.text) {
    left = written.left;
    right = written.right;
    return;
  }
  std::sscanf(text.c_str(), "[%lg;%lg]", &left, &right);
}
