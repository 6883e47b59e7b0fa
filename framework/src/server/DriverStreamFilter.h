// INDI drivers write an XML declaration (<?xml version='1.0'?>) before every element, which no XML
// parser accepts past the start of a document. This filter drops every processing instruction
// from the byte stream, also when one is split across reads.
#pragma once

#include <string>
#include <string_view>

namespace kestor {

class DriverStreamFilter {
public:
  // The bytes of `data` that remain, in order; may hold back a final "<" until the next call.
  std::string filter(std::string_view data);

private:
  enum class State { Text, Open, Instruction, InstructionQuestion };
  State state_ = State::Text;
};

}  // namespace kestor
