#include "message.h"
#include "message_host.h"

HostMessageLog& HostMessages()
{
    static HostMessageLog log = {0, nullptr};
    return log;
}

void ShowMessage(const char* text)
{
    HostMessageLog& log = HostMessages();
    ++log.count;
    log.last = text;
}
