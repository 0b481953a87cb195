// What a text's bytes are as letters of a code page: the mend judges
// decrypted bytes by their letters. The program supplies ReadLetters, as
// only the platform knows its code pages (ui/letters.cpp on Windows; the
// native tests and benchmarks have a stand-in).
#ifndef CORVANE_CIPHER_LETTERS_H
#define CORVANE_CIPHER_LETTERS_H

#include <stdint.h>

// What a character is, as the platform classifies it.
enum LetterKind : unsigned char {
    LETTER_OTHER,    // punctuation, symbols, and whatever no kind below takes
    LETTER_BLANK,    // a space or a line break of any kind, a tab
    LETTER_LOWER,    // letters of a script with cases
    LETTER_UPPER,
    LETTER_CASELESS, // letters of a script without cases, ideographs
    LETTER_MARK,     // a mark or joiner that goes with the letter before it
    LETTER_DIGIT,
};

enum : int { LETTERS_MOST = 256 };

// The size bytes (at most LETTERS_MOST) as UTF-16 units of code page
// codePage, with what each is; returns how many, or -1 if they are not a
// text's: none, not what the code page makes of those characters (an
// invalid sequence, or a byte that comes back as another), or with a
// control character but tab, CR and LF, which no one types.
int ReadLetters(unsigned codePage, const unsigned char* bytes, int size, uint16_t* letters, LetterKind* kinds);

#endif
