#include "platform/Shell.h"

#include "core/TextUtil.h"

namespace tp {

bool IsOpenableLink(std::string_view text) {
  text = TrimView(text);
  for (char c : text)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return false;
  for (std::string_view web : {"http://", "https://"}) {
    if (!StartsWithIgnoreCase(text, web)) continue;
    std::string_view rest = text.substr(web.size());
    const size_t end = rest.find_first_of("/?#");
    std::string_view host = rest.substr(0, end);
    // A host is needed; user information before '@' is not (it hides the real host).
    return !host.empty() && host.find('@') == std::string_view::npos && host.find('\\') == std::string_view::npos;
  }
  constexpr std::string_view kMail = "mailto:";
  return StartsWithIgnoreCase(text, kMail) && text.size() > kMail.size();
}

}  // namespace tp
