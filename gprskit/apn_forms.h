// The init string in TS 27.007's form that the console tool can write around an APN, and the APN
// read back out of an init string made from a template.
#pragma once

#include <string_view>

#include "input_rules.h"

// The init string with the PDP context as TS 27.007 §10.1.1 defines +CGDCONT: the context's
// number first, then its type and the APN. The kit's own template (kApnInitTemplate) gives the
// APN alone, which a modem that parses the command strictly refuses; `GprsKit apn APN /standard`
// writes this one instead.
inline constexpr char kApnStandardTemplate[] = "E1;+CGDCONT=1,\"IP\",\"%s\";+CGQREQ=1";

// The APN that `format`, a template with one "%s", holds in `init`; false when `init` is not
// made from `format`.
bool ApnInInit(std::string_view format, std::string_view init, std::string_view& apn);
