#include "console/PowerStateText.h"

#include <cwchar>

#include "backend/QorApi.h"

namespace lumacon {

std::wstring DescribePowerState(int32_t bits) {
  struct Meaning {
    int32_t mask;
    const wchar_t* text;
  };
  static const Meaning kMeanings[] = {
      {QOR_POWERSTATE_POWERING_OFF, L"Powering off"},
      {QOR_POWERSTATE_POWERED_OFF, L"Powered off"},
      {QOR_POWERSTATE_POWERING_ON | QOR_POWERSTATE_ALSO_POWERING_ON, L"Powering on"},
      {QOR_POWERSTATE_POWERED_ON, L"Powered on"},
      {QOR_POWERSTATE_SUSPENDING, L"Suspending"},
      {QOR_POWERSTATE_SUSPENDED | QOR_POWERSTATE_ALSO_SUSPENDED, L"Suspended"},
      {QOR_POWERSTATE_RESETTING, L"Resetting"},
  };
  std::wstring text;
  for (const Meaning& meaning : kMeanings) {
    if (!(bits & meaning.mask)) continue;
    if (!text.empty()) text += L", ";
    text += meaning.text;
  }
  if (text.empty()) {
    wchar_t unknown[32];
    swprintf(unknown, 32, L"Unknown (0x%04x)", static_cast<unsigned>(bits));
    text = unknown;
  }
  return text;
}

}  // namespace lumacon
