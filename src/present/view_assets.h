// The viewer page's own files (view.html, view.css, view.js under
// src/present/view_page/), embedded into the program at build time.
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

inline std::string_view ViewHtml() { return {kViewHtml, static_cast<size_t>(kViewHtml_size)}; }
inline std::string_view ViewCss() { return {kViewCss, static_cast<size_t>(kViewCss_size)}; }
inline std::string_view ViewJs() { return {kViewJs, static_cast<size_t>(kViewJs_size)}; }

}  // namespace sc

#endif  // SC_PRESENT_VIEW_ASSETS_H_
