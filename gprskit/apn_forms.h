// The APN as the console tool takes it, and the two init strings the tool writes around it.
#pragma once

#include <cstddef>
#include <string_view>

// The most an APN may have, as 3GPP TS 23.003 counts it.
constexpr size_t kApnMost = 100;

// The init string with the PDP context as TS 27.007 §10.1.1 defines +CGDCONT: the context's
// number first, then its type and the APN. The kit's own template (kApnInitTemplate) gives the
// APN alone, which a modem that parses the command strictly refuses; `GprsKit apn APN /standard`
// writes this one instead.
inline constexpr char kApnStandardTemplate[] = "E1;+CGDCONT=1,\"IP\",\"%s\";+CGQREQ=1";

// An APN as TS 23.003 writes it: labels of letters, digits and hyphens between dots, and the
// underscore some operators' APNs carry; at most kApnMost characters, or none. A script or a
// deployment console hands the tool what it was given, and the APN goes into the modem's init
// string between quotes: a quote or a ';' there would add commands of its own that the modem
// runs before every connection.
bool IsPlainApn(std::string_view apn);

// The APN that `format`, a template with one "%s", holds in `init`; false when `init` is not
// made from `format`.
bool ApnInInit(std::string_view format, std::string_view init, std::string_view& apn);
