#include "CommaLocale.h"

#include "support/Command.h"

#include <clocale>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {
bool commaDecimals() { return std::strcmp(std::localeconv()->decimal_point, ",") == 0; }
}  // namespace

bool useCommaLocale() {
  if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8") && commaDecimals()) return true;
  char folder[] = "/tmp/kestor-locale.XXXXXX";
  if (!mkdtemp(folder)) return false;
  test_support::runCommand("localedef -i de_DE -f UTF-8 " + std::string(folder) + "/de_DE.UTF-8 2>/dev/null");
  setenv("LOCPATH", folder, 1);
  const bool ok = std::setlocale(LC_NUMERIC, "de_DE.UTF-8") && commaDecimals();
  test_support::runCommand("rm -rf " + std::string(folder));
  return ok;
}

void useCLocale() { std::setlocale(LC_NUMERIC, "C"); }
