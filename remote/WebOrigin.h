#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "remote/HttpRequest.h"

namespace vex::remote {

// Whether the request names a host this page answers for: an address (what a browser sends when
// the operator typed one), `localhost`, or one of the names the operator gave. Any other name may
// be a name that an attacker's DNS points at this machine (DNS rebinding), so it is refused.
bool HostAllowed(const HttpRequest& request, const std::vector<std::string>& names);

// Whether a request that changes something comes from the page itself. The page's requests carry
// its origin (the page sends `Referrer-Policy: same-origin`); a form or script of any other site,
// or of a sandboxed or local document (`Origin: null`), is refused, and so is whatever the
// browser marks as cross-site. Tools that send no Origin at all are no browser acting for a site.
bool FromThisPage(const HttpRequest& request);

}  // namespace vex::remote
