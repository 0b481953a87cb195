// Host builds have no message box; the stand-in records what would have been
// shown, so tests can see it.
#ifndef CORVANE_CIPHER_MESSAGE_HOST_H
#define CORVANE_CIPHER_MESSAGE_HOST_H

struct HostMessageLog {
    int count;
    const char* last;
};

HostMessageLog& HostMessages();

#endif
