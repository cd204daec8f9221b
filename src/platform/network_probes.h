// Sources of a MAC address: NetBIOS adapter status, the MIB-II interface
// table, and the node of a UUID.
#pragma once

namespace zeltrand {

class NetBios {
 public:
  virtual ~NetBios() = default;
};

class MibAgent {
 public:
  virtual ~MibAgent() = default;
};

class UuidSource {
 public:
  virtual ~UuidSource() = default;
};

}  // namespace zeltrand
