#include "app/interval_box.h"

#include <cstdio>
#include <string>

#include "app/text_format.h"

void writeIntervalBox(Workspace& ws, Window& window, const char* pattern, double left,
                      double right) {
  ws.intervalBox = {format(pattern, left, right), left, right};
  window.setBoxText(Box::Edit3, ws.intervalBox.text);
}

void readIntervalBox(const Workspace& ws, const Window& window, double& left, double& right) {
  const std::string text = window.boxText(Box::Edit3);
  if (!ws.intervalBox.text.empty() && text == ws.intervalBox.text) {
    left = ws.intervalBox.left;
    right = ws.intervalBox.right;
    return;
  }
  std::sscanf(text.c_str(), "[%lg;%lg]", &left, &right);
}
