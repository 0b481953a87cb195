// Mending a cipher text that mail or chat changed on its way. The changes
// are few and of known kinds, and each block decrypts on its own, so the
// forms the way could have made of the cipher text that was sent are tried,
// and each form's decryption is judged by how much its letters look like a
// text someone wrote.
#ifndef CORVANE_CIPHER_MEND_H
#define CORVANE_CIPHER_MEND_H

enum : int {
    MEND_LONGEST_FORM = 248, // 31 blocks: the most that is read back whole
    MEND_NONE = -100000,     // no reading found
};

// The readings of a pasted cipher text found so far: a reading is a form of
// it, decrypted, in the code page of its note. Totals are in bits: how much
// likelier the letters are a written text than random bytes, less what the
// changes undone cost. The plain reading is the paste as it came, in the
// receiver's letters: what earlier versions showed.
struct NoteChoice {
    int plain;           // the plain reading's total, or MEND_NONE
    int best;            // the best reading's total, or MEND_NONE
    int rival;           // the best total of a reading with other letters
    unsigned letters;    // a digest of the best reading's letters
    unsigned codePage;   // the code page of the best reading's note
    bool capped;         // more work than the cap: some forms were not tried
    unsigned forms;      // forms judged
    unsigned bestForm;   // which of them the best reading is of
    unsigned rivalForm;  // and the best reading with other letters
    unsigned char note[MEND_LONGEST_FORM + 8]; // the best reading, zero padded
};

void StartNoteChoice(NoteChoice* choice);

// Adds to choice every reading of the size bytes received, as pasted in one
// code page, under the subkeys set up now: each form that the changes of a
// way could have made into received, decrypted and read in each of the
// count code pages of codePages. homeCodePage is the receiver's: the
// paste as it came, read in it, is what earlier versions showed.
void ReadForms(NoteChoice* choice, const unsigned char* received, int size, const unsigned* codePages, int count,
               unsigned homeCodePage);

enum NoteVerdict : int {
    NOTE_AS_PASTED, // the plain reading: no other reads clearly better
    NOTE_MENDED,    // the best reading: clearly ahead of any other letters
    NOTE_LETTERS,   // one form, but the code page of its note cannot be told
    NOTE_DOUBT,     // no reading stands out, or some forms were not tried
};

// Which reading to show, if any. A reading other than the plain one counts
// only if its letters alone are likely a text, and must lead the plain one
// clearly: a text of signs and codes may look no more like a text than
// random bytes do.
NoteVerdict JudgeChoice(const NoteChoice* choice);

#endif
