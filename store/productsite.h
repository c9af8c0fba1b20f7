#pragma once

// The product's own web site: its home page heads the default bookmarks and is
// protected from deletion; help lives below it.
namespace ProductSite {
inline constexpr char HomePage[] = "http://www.harbrow.org";
inline constexpr char HelpPath[] = "/help.html";
} // namespace ProductSite
