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

std::wstring Format(UINT id, const std::wstring& a, const std::wstring& b, const std::wstring& c = std::wstring()) {
  const std::wstring pattern = utils::LoadStringResource(id);
  std::wstring out;
  const std::wstring* args[] = {&a, &b, &c};
  size_t next = 0;
  for (size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] == L'%' && i + 1 < pattern.size() && pattern[i + 1] == L's' && next < 3) {
      out += *args[next++];
      ++i;
    } else {
      out += pattern[i];
    }
  }
  return out;
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
    notice.title = Shortened(Format(IDS_NOTICE_TITLE_ONE, only.name, StateWords(only.state)), PowerNotice::kMostTitle);
    notice.text = Shortened(Format(IDS_NOTICE_TEXT_ONE, only.server, std::wstring()), PowerNotice::kMostText);
    return notice;
  }
  const std::wstring count = std::to_wstring(changes.size());
  std::wstring many = utils::LoadStringResource(IDS_NOTICE_TITLE_MANY);
  if (const size_t at = many.find(L"%d"); at != std::wstring::npos) many.replace(at, 2, count);
  notice.title = Shortened(many, PowerNotice::kMostTitle);
  // Whole lines while they fit; the rest is "...".
  for (size_t i = 0; i < changes.size(); ++i) {
    const std::wstring line = Format(IDS_NOTICE_LINE, changes[i].name, changes[i].server, StateWords(changes[i].state));
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
