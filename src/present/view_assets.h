// The viewer page's own files under src/present/view_page/ (view.html,
// view.css, view.js and, for the live page, live.js), embedded into the
// program at build time.
#ifndef SC_PRESENT_VIEW_ASSETS_H_
#define SC_PRESENT_VIEW_ASSETS_H_

#include <string_view>

namespace sc {

extern const char kViewHtml[];
extern const unsigned long long kViewHtml_size;
extern const char kViewCss[];
extern const unsigned long long kViewCss_size;
extern const char kViewJs[];
extern const unsigned long long kViewJs_size;
extern const char kViewLiveJs[];
extern const unsigned long long kViewLiveJs_size;

inline std::string_view ViewHtml() { return {kViewHtml, static_cast<size_t>(kViewHtml_size)}; }
inline std::string_view ViewCss() { return {kViewCss, static_cast<size_t>(kViewCss_size)}; }
inline std::string_view ViewJs() { return {kViewJs, static_cast<size_t>(kViewJs_size)}; }
inline std::string_view ViewLiveJs() {
  return {kViewLiveJs, static_cast<size_t>(kViewLiveJs_size)};
}

}  // namespace sc

#endif  // SC_PRESENT_VIEW_ASSETS_H_
