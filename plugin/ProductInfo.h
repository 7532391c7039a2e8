#pragma once

namespace zenvar
{

/** The product's page on the maker's site, opened in the default browser by the editor's logo.
    The one place this address is written. */
inline constexpr const char* productWebPageAddress = "https://www.vantorell.com/zenvar";

} // namespace zenvar
