#include <windows.h>

#include "storage/language.h"

namespace keyloom {

uint16_t SystemDefaultLanguageId() { return GetSystemDefaultLangID(); }

}  // namespace keyloom
