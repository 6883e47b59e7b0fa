#include "DriverStreamFilter.h"

namespace kestor {

std::string DriverStreamFilter::filter(std::string_view data) {
  std::string out;
  out.reserve(data.size() + 1);
  for (const char c : data) {
    switch (state_) {
    case State::Text:
      if (c == '<')
        state_ = State::Open;
      else
        out += c;
      break;
    case State::Open:
      if (c == '?') {
        state_ = State::Instruction;
      } else {
        out += '<';
        if (c == '<') break;  // still holding one "<"
        out += c;
        state_ = State::Text;
      }
      break;
    case State::Instruction:
      if (c == '?') state_ = State::InstructionQuestion;
      break;
    case State::InstructionQuestion:
      state_ = c == '>' ? State::Text : c == '?' ? State::InstructionQuestion : State::Instruction;
      break;
    }
  }
  return out;
}

}  // namespace kestor
