#include "files/mesh_generator.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <new>
#include <optional>

#include "app/data_view.h"
#include "app/interval_box.h"
#include "app/memory_budget.h"
#include "app/sources.h"
#include "app/startup.h"
#include "app/text_format.h"

namespace {

constexpr int32_t meshTerms = 100;

int32_t askInteger(Window& window, const char* prompt) {
  const std::optional<std::string> answer = window.inputBox("Mesh parameters", prompt, "1");
  return integerOr(answer.value_or("1"), 1);
}

}  // namespace

int32_t integerOr(const std::string& text, int32_t fallback) {
  const char* p = text.c_str();
  while (std::isspace(static_cast<unsigned char>(*p)))
    ++p;
  const char* digits = *p == '+' || *p == '-' ? p + 1 : p;
  if (!std::isdigit(static_cast<unsigned char>(*digits))) return fallback;
  char* end = nullptr;
  errno = 0;
  const long long value = std::strtoll(p, &end, 10);
  while (std::isspace(static_cast<unsigned char>(*end)))
    ++end;
  if (*end != '\0' || errno == ERANGE || value < INT32_MIN || value > INT32_MAX) return fallback;
  return static_cast<int32_t>(value);
}

std::vector<double> meshAbscissae(int32_t n, double h) {
  std::vector<double> x(n);
  double at = 0.0;
  for (int32_t k = 0; k < n; ++k) {
    at += h;
    x[k] = at;
  }
  return x;
}

void generateMesh(Workspace& ws, Window& window) {
  int32_t time = askInteger(window, "Input total time (s)");
  if (time < 0) time = 1;
  int32_t rate = askInteger(window, "Input sampling rate (Hz)");
  double h = 1.0 / rate;
  if (rate < 0) h = 1.0, rate = 1;

  const int64_t count = int64_t{time} * rate;
  if (count == 0) {
    window.message(MessageKind::Warning,
                   format("A mesh of %d s at %d Hz holds no samples", time, rate));
    return;
  }
  if (count > INT32_MAX) {
    window.message(MessageKind::Warning, countRefusal(count, "samples"));
    return;
  }
  const std::string refusal =
      format("Not enough memory for %lld samples", static_cast<long long>(count));
  if (!fitsInBudget(bytesPerSample * count)) {
    window.message(MessageKind::Warning, refusal);
    return;
  }
  const int32_t n = static_cast<int32_t>(count);
  std::vector<double> x, y;
  try {
    x = meshAbscissae(n, h);
    y.assign(n, 0.0);
  } catch (const std::bad_alloc&) {
    window.message(MessageKind::Warning, refusal);
    return;
  }

  replaceSamples(ws, std::move(x), std::move(y));
  showNewSamples(ws, window);
  selectSource(ws, window, SourceKind::Samples);
  window.setCaption(captionFor("mesh", n));
  ws.right = ws.samplesX[n - 1];
  ws.left = ws.samplesX[0];
  writeIntervalBox(window, "[%.5g;%.5g]", ws.left, ws.right);
  ws.termCount = meshTerms;
  window.setBoxText(Box::Edit4, format("%d", ws.termCount));
  ws.meshCount = meshTerms;
  window.setBoxText(Box::Edit5, format("%d", ws.meshCount));
  ws.alpha = 0.0;
  ws.beta = 0.0;
  window.setBoxText(Box::Edit6, format("%.4g", ws.alpha));
  window.setBoxText(Box::Edit7, format("%.4g", ws.beta));
}
