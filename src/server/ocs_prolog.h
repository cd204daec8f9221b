// An inventory the way the agents offer it: first the question whether the
// server wants one now, the PROLOG,
//
//   <?xml version="1.0" encoding="UTF-8"?><REQUEST><DEVICEID>KAIKEI07-2003-01-17-00-00-00
//   </DEVICEID><QUERY>PROLOG</QUERY></REQUEST>
//
// answered (zlib, as every reply) with
//
//   <REPLY>…<RESPONSE>SEND</RESPONSE>…</REPLY>
//
// and the inventory only then. STOP (or any other answer) means not now:
// the computer's last inventory is younger than the server's FREQUENCY (in
// days), or the server takes none from it. A server that does not know the
// program's name answers the PROLOG with 400 (its list of agents, and
// /etc/ocsinventory/extra_useragents); the inventory then goes without
// the question, as a server takes it unless it is set to take inventories
// only after a PROLOG.
#pragma once

#include <string>
#include <string_view>

#include "platform/http.h"
#include "server/ocs_client.h"

namespace zeltrand::server {

// The PROLOG of the computer whose inventory `inventory_xml` is; its
// DEVICEID is taken from there.
std::string PrologXml(std::string_view inventory_xml);

struct Offer {
  Delivery delivery;      // the inventory's, or the PROLOG's where it ended there
  bool declined = false;  // the server wanted none now: nothing was sent, nothing failed
};

// Offered once more after kLockedRetryMs when the server answers 403.
Offer OfferInventory(ServerLink& link, const HttpTarget& to, std::string_view inventory_xml);

}  // namespace zeltrand::server
