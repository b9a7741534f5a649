#include "analysis/driver/text_lines.h"

namespace driver {

bool TextLines::open(const std::string& path) {
  path_ = path;
  lineNumber_ = 0;
  file_.open(path);
  return file_.is_open();
}

bool TextLines::next() {
  if (!std::getline(file_, raw_)) return false;
  ++lineNumber_;
  if (!raw_.empty() && raw_.back() == '\r') raw_.pop_back();
  buffer_.assign(NChar, ' ');
  const std::size_t kept = raw_.size() < buffer_.size() ? raw_.size() : buffer_.size();
  for (std::size_t i = 0; i < kept; ++i) buffer_[i] = raw_[i] == '\t' ? ' ' : raw_[i];
  return true;
}

}  // namespace driver
