// kestor_trace_property: a property record and its items written to the log at the trace level.
#include "Log.h"
#include "Numbers.h"
#include "Text.h"
#include "WireWords.h"

#include <kestor.h>

#include <string>

namespace {

using namespace std::string_literals;

std::string quoted(std::string_view text) { return "\"" + std::string(text) + "\""; }

std::string itemValue(const kestor_item &item, uint32_t type) {
  switch (type) {
  case KESTOR_TEXT: return quoted(kestor::fieldText(item.text_value));
  case KESTOR_NUMBER:
    return kestor::formatNumber(item.number_value) + " target=" + kestor::formatNumber(item.number_target) +
           " format=" + quoted(kestor::fieldText(item.number_format)) +
           " min=" + kestor::formatNumber(item.number_min) + " max=" + kestor::formatNumber(item.number_max) +
           " step=" + kestor::formatNumber(item.number_step);
  case KESTOR_SWITCH: return item.switch_value ? "On" : "Off";
  case KESTOR_LIGHT: return kestor::wordOf(kestor::STATE_WORDS, item.light_value);
  case KESTOR_BLOB:
    return std::to_string(item.blob_size) + " bytes format=" + quoted(kestor::fieldText(item.blob_format)) +
           " url=" + quoted(kestor::fieldText(item.blob_url));
  default: return "?";
  }
}

}  // namespace

kestor_result kestor_trace_property(kestor_client *, kestor_property *property, bool definition, bool items) {
  if (!property) return KESTOR_INVALID;
  if (!kestor::logs(kestor::LOG_TRACE)) return KESTOR_OK;
  std::string line =
      "Property " + std::string(kestor::fieldText(property->device)) + "." +
      std::string(kestor::fieldText(property->name)) + " type=" + kestor::wordOf(kestor::TYPE_WORDS, property->type) +
      " state=" + kestor::wordOf(kestor::STATE_WORDS, property->state) + " count=" + std::to_string(property->count);
  if (definition)
    line += " group=" + quoted(kestor::fieldText(property->group)) +
            " label=" + quoted(kestor::fieldText(property->label)) +
            " perm=" + kestor::wordOf(kestor::PERM_WORDS, property->perm) +
            " rule=" + kestor::wordOf(kestor::RULE_WORDS, property->rule) +
            " version=" + std::to_string(property->version);
  kestor::logLine(kestor::LOG_TRACE, line);
  if (!items) return KESTOR_OK;
  for (int32_t i = 0; i < property->count; ++i) {
    const kestor_item &item = property->items[i];
    kestor::logLine(kestor::LOG_TRACE, "  Item " + std::string(kestor::fieldText(item.name)) +
                                           " label=" + quoted(kestor::fieldText(item.label)) +
                                           " value=" + itemValue(item, property->type));
  }
  return KESTOR_OK;
}
