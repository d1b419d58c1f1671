#include "present/view_page.h"

#include <algorithm>
#include <string_view>
#include <utility>

#include "present/preview_xml.h"
#include "present/view_assets.h"

namespace sc {

std::string RenderViewPage(const ViewInput& input) {
  return RenderViewPage(input.title, ViewDataJson(input), false);
}

std::string RenderViewPage(const std::string& raw_title, const std::string& data, bool live) {
  const std::string title = XmlFrom1252(raw_title);
  const std::string live_script =
      live ? "<script>\n" + std::string(ViewLiveJs()) + "</script>" : std::string();
  // The page's placeholders, each replaced once, in one pass over the
  // template (what is put in is never searched again).
  const std::pair<std::string_view, std::string_view> fills[] = {{"@VIEW_TITLE@", title},
                                                                 {"@VIEW_CSS@", ViewCss()},
                                                                 {"@VIEW_JS@", ViewJs()},
                                                                 {"@SCENARIO_DATA@", data},
                                                                 {"@VIEW_LIVE@", live_script}};
  std::string_view html = ViewHtml();
  std::string page;
  page.reserve(html.size() + data.size() + ViewJs().size() + ViewCss().size() + live_script.size());
  size_t at = 0;
  while (at < html.size()) {
    size_t next = html.find('@', at);
    if (next == std::string_view::npos) break;
    bool filled = false;
    for (const auto& [token, text] : fills) {
      if (html.substr(next, token.size()) == token) {
        page.append(html.substr(at, next - at));
        page.append(text);
        at = next + token.size();
        filled = true;
        break;
      }
    }
    if (!filled) {
      page.append(html.substr(at, next + 1 - at));
      at = next + 1;
    }
  }
  page.append(html.substr(std::min(at, html.size())));
  return page;
}

}  // namespace sc
