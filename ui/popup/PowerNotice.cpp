#include "ui/popup/PowerNotice.h"

#include "res/resource.h"
#include "services/StringResource.h"

namespace ui {
namespace {

// Cut to at most most characters, ending in "..." when cut.
std::wstring Shortened(const std::wstring& text, size_t most) {
  if (text.size() <= most) return text;
  if (most < 3) return text.substr(0, most);
  return text.substr(0, most - 3) + L"...";
}

// The string's own format filled with the given texts, as the other list texts are made.
template <class... Args>
std::wstring Format(UINT id, const Args&... args) {
  wchar_t text[512] = {};
  _snwprintf(text, 511, utils::LoadStringResource(id).c_str(), args...);
  return text;
}

std::wstring StateWords(PowerMark state) {
  const UINT id = PowerMarkTextId(state);
  return id ? utils::LoadStringResource(id) : std::wstring();
}

}  // namespace

PowerNotice ComposePowerNotice(const std::vector<PowerChange>& changes) {
  PowerNotice notice;
  if (changes.empty()) return notice;
  notice.vm = changes.front().vm;
  if (changes.size() == 1) {
    const PowerChange& only = changes.front();
    notice.title =
        Shortened(Format(IDS_NOTICE_TITLE_ONE, only.name.c_str(), StateWords(only.state).c_str()), PowerNotice::kMostTitle);
    notice.text = Shortened(Format(IDS_NOTICE_TEXT_ONE, only.server.c_str()), PowerNotice::kMostText);
    return notice;
  }
  notice.title = Shortened(Format(IDS_NOTICE_TITLE_MANY, static_cast<int>(changes.size())), PowerNotice::kMostTitle);
  // Whole lines while they fit; the rest is "...".
  for (size_t i = 0; i < changes.size(); ++i) {
    const std::wstring line = Format(IDS_NOTICE_LINE, changes[i].name.c_str(), changes[i].server.c_str(),
                                     StateWords(changes[i].state).c_str());
    const std::wstring joined = notice.text.empty() ? line : notice.text + L"\n" + line;
    const bool last = i + 1 == changes.size();
    if (joined.size() <= PowerNotice::kMostText - (last ? 0 : 4)) {
      notice.text = joined;
      continue;
    }
    notice.text = notice.text.empty() ? Shortened(line, PowerNotice::kMostText) : notice.text + L"\n...";
    break;
  }
  return notice;
}

}  // namespace ui
