#include "head/reply_decode.h"

namespace tarvisk {

ReplyCheck CheckReplyFrame(const HeadLink&) {
    return {};
}
bool CheckAndDecodeReply(HeadLink&) {
    return false;
}
int32_t SoftwareProfileThreshold(int32_t) {
    return 0;
}
EchoStart ComputeEchoStart(const SonarSettings&, int32_t) {
    return {};
}

}  // namespace tarvisk
