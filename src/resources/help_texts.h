// The help file's two texts, around its list of items, and the product's
// download page.
#pragma once

#include <string_view>

namespace zeltrand {

// What the program is for and how it is used. Begins with a line feed and
// ends without one.
extern const std::string_view kHelpIntro;
// Notes, disclaimer, maker, version history and known problems. Begins with
// a line feed and ends without one.
extern const std::string_view kHelpOther;
// Where a newer version is published; set by the build.
extern const std::string_view kDownloadPage;

}  // namespace zeltrand
