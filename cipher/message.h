// The cipher engine's one platform call.
#ifndef CORVANE_CIPHER_MESSAGE_H
#define CORVANE_CIPHER_MESSAGE_H

// Shows text in a message box that no window owns, with the platform's
// default title and a single OK button; returns once it is dismissed.
void ShowMessage(const char* text);

#endif
