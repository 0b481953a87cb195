// What a text or a key may hold: the rules Encrypt, Decrypt and the key
// dialog judge by, apart from how fields are read and shown.
#ifndef CORVANE_UI_TEXT_AND_KEY_RULES_H
#define CORVANE_UI_TEXT_AND_KEY_RULES_H

// Whether decrypted bytes, all size of them, can be a text that Encrypt was
// given. A text holds no zero byte and is padded with zero bytes; its bytes
// are what the ANSI code page makes of its characters, and none of those is
// a control character but tab, CR and LF, which no one types. A wrong key or
// a changed cipher text seldom gives such bytes. Encrypt asks the same of a
// text, so that none it takes silently is refused here.
bool CanBeText(const unsigned char* bytes, int size);

// Why a zero-terminated key could not be typed again as the key field
// shows it, if it could not.
enum KeyLook : int {
    KEY_AS_IT_LOOKS,
    KEY_INVISIBLE, // a control character, tab, CR and LF included
    KEY_UNSEEN,    // a space at an end, or a character that only looks like
                   // a space or is not seen
};
KeyLook HowKeyLooks(const unsigned char* key);

#endif
