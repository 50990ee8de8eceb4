#include "core/base/gui_seam.h"

#include <chrono>
#include <cstdio>
#include <thread>

#include "core/base/misc.h"

namespace kelo {

void HeadlessGui::message(const std::string& title, const std::string& text) {
  std::fprintf(stderr, "%s: %s\n", title.c_str(), one_line(text).c_str());
  if (log != nullptr) log_message(*log, "%s: %s", title.c_str(), one_line(text).c_str());
}

int HeadlessGui::choice(const std::string& title, const std::vector<std::string>& labels,
                        const std::string& text) {
  int answer = choice_answer;
  if (answer < 1 || answer > static_cast<int>(labels.size())) answer = 1;
  std::string chosen = labels.empty() ? "" : labels[static_cast<size_t>(answer - 1)];
  std::fprintf(stderr, "%s: %s [%s]\n", title.c_str(), one_line(text).c_str(), chosen.c_str());
  if (log != nullptr) log_message(*log, "%s: %s [%s]", title.c_str(), one_line(text).c_str(), chosen.c_str());
  return answer;
}

void HeadlessGui::sleep_ms(int ms) {
  if (ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

}  // namespace kelo
