#include "net/net_limits.h"

namespace vm {

NetLimits UpdateNetLimits() {
    NetLimits limits;
    limits.connectTimeoutMs = kUpdateConnectTimeoutMs;
    limits.sendTimeoutMs = kUpdateSendTimeoutMs;
    limits.receiveTimeoutMs = kUpdateReceiveTimeoutMs;
    limits.maxLineLength = kUpdateHeaderLineLimit;
    limits.maxStringLength = kUpdatePageLimit;
    return limits;
}

}  // namespace vm
