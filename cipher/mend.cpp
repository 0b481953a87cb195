#include "mend.h"

#include <stdint.h>

#include "crypt_text.h"
#include "letters.h"

// How a character stands in a text: the platform's kinds (a lone CR or LF
// among the blanks), the space and a line break (CR LF, as Windows fields
// write it) apart, and the start of the text.
enum : int {
    CLASS_SPACE = LETTER_DIGIT + 1,
    CLASSES,
    CLASS_START = CLASSES,
};

// How much likelier one class is to follow another in written text than in
// the letters of random bytes, in bits: counted in the translated messages
// of free software in 13 languages (Latin, Greek, Cyrillic, Devanagari and
// East Asian scripts) against random bytes read in nine Windows code pages,
// and rounded. Set by hand where those texts had none: line breaks, and
// marks after a space, a digit or a sign.
static const signed char kFollows[CLASSES + 1][CLASSES] = {
    // other blank lower upper caseless mark digit space
    {-2, -8, 0, -1, -1, -6, 0, 7},        // after signs
    {-3, -10, 2, -1, 0, -6, -2, -9},      // after a tab, a no-break space or a lone CR or LF
    {-4, -12, 2, -7, -9, -2, -6, 5},      // after a lower-case letter
    {-3, -9, 1, 1, -4, 2, -3, 5},         // after an upper-case letter
    {-4, -10, -9, -6, 2, 8, -7, 5},       // after a caseless letter
    {-4, -8, -12, -11, 2, 8, -10, 6},     // after a mark
    {-1, -5, -2, -3, -2, -6, 3, 6},       // after a digit
    {-3, -10, 2, -1, 0, -6, -2, -3},      // after a space or a line break
    {-3, -8, 0, 1, 1, -6, -4, -2},        // at the start
};

enum : int {
    PADDING_BYTE = 8,       // a zero byte of padding: 1 in 256 for random bytes
    NO_PADDING = -3,        // 1 text in 8 fills its last block
    OTHER_SCRIPT = -6,      // a letter of another script than the one before it,
                            // but Latin beside East Asian, as Latin words are there
    EXTENDED_LATIN = -2,    // a Latin letter beyond ASCII: most of random bytes' letters
    RARE = -6,              // a character outside a double-byte code page's common set
    COMMON = 1,             // ... and one in it
    ASCII_EIGHTHS = 8,      // a byte of a note in ASCII alone, in eighths of a bit:
                            // half of random bytes are ASCII
    SIGN_EIGHTHS = 11,      // ... of a code of signs, which has no words: 98 in 256
    UTF8_SEQUENCE = 6,      // a valid sequence of several bytes: seldom by chance
    HOME = 30,              // a note in the receiver's own code page: others
                            // read random signs as plausible letters too
    CHANGED_TOKEN = 2,      // a line break or space taken for another
    TRIMMED_BYTE = 6,       // a byte lost at an end: 5 in 256 are such bytes
    SURE_ON_ITS_OWN = 10,   // a score random bytes seldom reach
    SPAN_SURE = 4,          // ... nor the blocks a change made anew, with the rest
    AHEAD = 10,             // how far a reading must lead to stand out
    AHEAD_DOUBLE_BYTE = 20, // ... where random bytes read as plausible ideographs
    WORK = 1 << 14,         // the cap on the work of a reading, in block decryptions
    JUDGING = 64,           // the work of judging a form in one code page
    TRIMMED_MOST = 7,       // bytes lost at the ends: the length tells up to 7
    DEEPER = 2,             // trimmed bytes tried beyond the first reading that counts
};

static const unsigned UTF8 = 65001;

// What a byte of the paste may have been, besides the byte itself: a line
// break a CR, an LF, a CR LF, or nothing where plain-text mail wrapped a
// line after a space; a space a no-break space. Then the bytes a way may
// have lost at either end.
static const char* const kBreaks[] = {"\r\n", "\r", "\n", "", nullptr};
static const char* const kSpaces[] = {" ", "\xA0", nullptr};
static const char* const kTrimmed[] = {" ", "\xA0", "\t", "\r", "\n", nullptr};

// The characters in common use in the double-byte code pages, and the
// rest, mostly rare ideographs and syllables: rare in a note, and most of
// what random bytes read as there. The common set's lead bytes and least
// trail byte.
struct CommonSet {
    unsigned short codePage;
    unsigned char leadFirst, leadLast, trailFirst;
};
static const CommonSet kCommonSets[] = {
    {932, 0x81, 0x98, 0x40}, // JIS level 1 and kana; level 2 and extensions beyond
    {936, 0xA1, 0xD7, 0xA1}, // GB 2312's signs and level 1; its level 2 and GBK's additions beyond
    {949, 0xA1, 0xC8, 0xA1}, // KS X 1001's signs and Hangul; its Hanja and the unified code's additions beyond
    {950, 0xA1, 0xC6, 0x40}, // Big5's frequently used characters
};

// The score of the n bytes' double-byte characters: one in the common set
// is likelier in a note than in random bytes, one outside it far less; a
// lead byte outside it counts alone, as 932's half-width kana do.
static int CommonCharacters(const unsigned char* bytes, int n, unsigned codePage)
{
    int score = 0;
    for (const CommonSet& set : kCommonSets)
        for (int i = 0; i < n && set.codePage == codePage; ++i)
            if (bytes[i] >= 0x81)
                score += bytes[i] < set.leadFirst || bytes[i] > set.leadLast || bytes[++i] < set.trailFirst ? RARE
                                                                                                        : COMMON;
    return score;
}

// The score of a note's letters in codePage, and their digest; MEND_NONE if
// they are not a text's. size bytes in all, zero padded; padding alone
// scores too, as a span at a note's end may be. Scripts are told roughly:
// Latin, the East Asian ones together (kana and ideographs mix in
// Japanese), the rest by their 256-character block.
static int JudgeNote(const unsigned char* note, int size, unsigned codePage, unsigned* digest)
{
    int n = 0;
    while (n < size && note[n] != 0)
        ++n;
    uint16_t chars[LETTERS_MOST + 1];
    LetterKind kinds[LETTERS_MOST + 1];
    const int m = n > 0 ? ReadLetters(codePage, note, n, chars, kinds) : 0;
    if (m < 0)
        return MEND_NONE;
    const int padding = PADDING_BYTE * (size - n) + NO_PADDING;
    int score = padding + CommonCharacters(note, n, codePage);
    // The end reads as a space would.
    chars[m] = ' ';
    kinds[m] = LETTER_BLANK;
    int previous = CLASS_START;
    unsigned script = 0;
    unsigned hash = 2166136261u;
    bool ascii = true;
    for (int i = 0; i <= m; ++i) {
        const unsigned c = chars[i];
        ascii &= c < 0x80;
        hash = (hash ^ c) * 16777619u;
        int now = kinds[i];
        if (c == '\r' && chars[i + 1] == '\n')
            ++i, now = CLASS_SPACE;
        else if (c == ' ')
            now = CLASS_SPACE;
        score += kFollows[previous][now];
        if (now >= LETTER_LOWER && now <= LETTER_CASELESS) {
            const unsigned own = c < 0x250 ? 0 : c >= 0x2E80 ? 0x2E : c >> 8;
            if (previous >= LETTER_LOWER && previous <= LETTER_MARK && own != script && (own | script) != 0x2E)
                score += OTHER_SCRIPT;
            if (own == 0 && c >= 0xC0)
                score += EXTENDED_LATIN;
            script = own;
        }
        if (codePage == UTF8 && c >= 0x80)
            score += UTF8_SEQUENCE;
        previous = now;
    }
    *digest = hash;
    // A code of signs, a password or a number, has no words to judge by,
    // but ASCII alone is as telling: the better reading counts.
    const int signs = padding + SIGN_EIGHTHS * n / 8;
    score += ascii ? ASCII_EIGHTHS * n / 8 : 0;
    return ascii && signs > score ? signs : score;
}

void StartNoteChoice(NoteChoice* choice)
{
    choice->plain = MEND_NONE;
    choice->best = MEND_NONE;
    choice->rival = MEND_NONE;
    choice->capped = false;
    choice->forms = 0;
}

namespace {

// The search through the forms of one paste. Bytes are added one at a time
// to form; each block it completes is decrypted into plain at once, and a
// form whose block cannot be a text's goes no further.
struct Forms {
    NoteChoice* choice;
    const unsigned char* received;
    int size;
    const unsigned* codePages;
    int count;
    unsigned home;
    int prefix;  // bytes still to add before received
    int suffix;  // bytes still to add after it
    int cost;    // of the changes undone so far
    bool counts; // a reading that counts was found
    int work;    // what is left of the cap
    unsigned char form[MEND_LONGEST_FORM];
    unsigned char plain[MEND_LONGEST_FORM];
};

// Whether a note's bytes from a block on to the block end to score need:
// the blocks may begin or end inside a character of several bytes or a CR
// LF, so up to 3 bytes fewer are tried at the start and up to 3 more at
// the end. Each try is work: a byte in 4, as a whole note's judging.
bool SpanCounts(Forms* f, int from, int to, int size, unsigned page, int need)
{
    unsigned digest;
    for (int t = 0; t < 16 && to + t / 4 <= size; ++t) {
        const int n = to + t / 4 - from - t % 4;
        f->work -= n / 4 + 1;
        if (JudgeNote(f->plain + from + t % 4, n, page, &digest) >= need)
            return true;
    }
    return false;
}

// Reads the form of size bytes in each code page. A reading other than the
// plain one counts only if its letters are likely a text on their own:
// those of the blocks from the first to the last where the form and the
// paste differ, which a change undone made anew (the whole note, where it
// only dropped bytes of the paste), and the whole note too, the more so the
// unlikelier the changes are, as more forms are tried for them. The blocks
// before, read right, prove nothing of them.
void Judge(Forms* f, int size)
{
    NoteChoice* c = f->choice;
    const unsigned form = ++c->forms;
    f->work -= JUDGING * f->count;
    int from = 0;
    while (from < size && from < f->size && f->form[from] == f->received[from])
        ++from;
    // Where only a space was taken for another, the blocks after it are
    // the paste's own too.
    int to = size;
    if (size == f->size)
        while (to > from && f->form[to - 1] == f->received[to - 1])
            --to;
    for (int k = 0; k < f->count; ++k) {
        unsigned digest;
        const unsigned page = f->codePages[k];
        const int score = JudgeNote(f->plain, size, page, &digest);
        const bool plain = f->cost == 0 && page == f->home;
        if (score == MEND_NONE ||
            (!plain && (score - f->cost < SURE_ON_ITS_OWN ||
                        (f->cost != 0 && from != 0 && from != size &&
                         !SpanCounts(f, from & ~7, (to + 7) & ~7, size, page, SPAN_SURE + f->cost)))))
            continue;
        const int total = score - f->cost + (page == f->home ? HOME : 0);
        f->counts = true;
        if (plain)
            c->plain = total;
        if (digest != c->letters || c->best == MEND_NONE) {
            if (total <= c->best) {
                if (total > c->rival)
                    c->rival = total, c->rivalForm = form;
                continue;
            }
            c->rival = c->best;
            c->rivalForm = c->bestForm;
        } else if (total <= c->best) {
            continue;
        }
        c->best = total;
        c->bestForm = form;
        c->letters = digest;
        c->codePage = page;
        for (int i = 0; i < MEND_LONGEST_FORM + 8; ++i)
            c->note[i] = i < size ? f->plain[i] : 0;
    }
}

void Next(Forms* f, int i, int j);

// Adds bytes to the form from form[j] on, and goes on from i in the paste.
// A block they complete must be able to be a text's: no control byte, and
// no byte after a zero byte, as padding ends a text.
void Try(Forms* f, int i, int j, const char* bytes, int cost)
{
    for (; *bytes; ++j) {
        if (j >= MEND_LONGEST_FORM || (j % 8 == 0 && j > 0 && f->plain[j - 1] == 0))
            return;
        f->form[j] = static_cast<unsigned char>(*bytes++);
        if (j % 8 != 7)
            continue;
        if (--f->work < 0)
            return;
        unsigned char* block = f->plain + j - 7;
        CryptBlocks(block, f->form + j - 7, 1, CRYPT_DECRYPT);
        bool padding = false;
        for (int k = 0; k < 8; ++k) {
            const unsigned char p = block[k];
            padding |= p == 0;
            if (p != 0 && (padding || (p < 0x20 && p != '\t' && p != '\r' && p != '\n') || p == 0x7F))
                return;
        }
    }
    f->cost += cost;
    Next(f, i, j);
    f->cost -= cost;
}

// The form so far is j bytes long, and the paste is used up to i: the
// choices for what stood next, or, at the end, the readings.
void Next(Forms* f, int i, int j)
{
    if (f->work < 0)
        return;
    int* trim = f->prefix > 0 ? &f->prefix : i == f->size ? &f->suffix : nullptr;
    if (trim && *trim == 0) {
        if (j % 8 == 0)
            Judge(f, j);
        return;
    }
    char pasted[3] = {};
    const char* const itself[] = {pasted, nullptr};
    const char* const* choices = itself;
    int next = i;
    if (trim) {
        choices = kTrimmed;
        --*trim;
    } else {
        const char c = static_cast<char>(f->received[next++]);
        pasted[0] = c;
        if (c == '\r' || c == '\n') {
            choices = kBreaks;
            if (c == '\r' && next < f->size && f->received[next] == '\n')
                pasted[1] = '\n', ++next;
        } else if (c == ' ') {
            choices = kSpaces;
        }
    }
    // The paste's own bytes first, so that the paste as it came is judged
    // before the cap can end the search.
    if (!trim)
        Try(f, next, j, pasted, 0);
    for (; *choices; ++choices) {
        // The paste's own bytes were tried; nothing, only where a line was
        // wrapped after a space.
        if (!trim && ((**choices == pasted[0] && (*choices)[1] == pasted[1]) ||
                      (**choices == 0 && (i == 0 || f->received[i - 1] != ' '))))
            continue;
        Try(f, next, j, *choices, trim ? TRIMMED_BYTE : CHANGED_TOKEN);
    }
    if (trim)
        ++*trim;
}

} // namespace

void ReadForms(NoteChoice* choice, const unsigned char* received, int size, const unsigned* codePages, int count,
               unsigned homeCodePage)
{
    Forms f;
    // Each reading has the whole cap: one that ends at it leaves the
    // others theirs, the paste as it came first among them.
    f.work = WORK;
    f.choice = choice;
    f.received = received;
    f.size = size;
    f.codePages = codePages;
    f.count = count;
    f.home = homeCodePage;
    f.cost = 0;
    f.counts = false;
    // Fewer bytes lost is likelier: once a reading counts, a few more are
    // tried, for a likelier one of the same length.
    int countsAt = TRIMMED_MOST;
    for (int trimmed = 0; trimmed <= countsAt + DEEPER && trimmed <= TRIMMED_MOST; ++trimmed) {
        for (int before = 0; before <= trimmed; ++before) {
            f.prefix = before;
            f.suffix = trimmed - before;
            Next(&f, 0, 0);
        }
        if (f.counts && countsAt == TRIMMED_MOST)
            countsAt = trimmed;
    }
    choice->capped |= f.work < 0;
}

NoteVerdict JudgeChoice(const NoteChoice* choice)
{
    const bool plain = choice->plain != MEND_NONE;
    if (plain && choice->best - choice->plain < AHEAD)
        return NOTE_AS_PASTED;
    if (!choice->capped && choice->best != MEND_NONE) {
        // Random bytes read as plausible ideographs in a double-byte code
        // page: a reading there must lead further.
        const bool doubleByte = choice->codePage >= 932 && choice->codePage <= 950;
        if (choice->best - choice->rival >= (doubleByte ? AHEAD_DOUBLE_BYTE : AHEAD))
            return NOTE_MENDED;
        if (choice->bestForm == choice->rivalForm)
            return NOTE_LETTERS;
    }
    // No form stands out, or not all were tried: the paste as it came, if
    // it reads as a text, as earlier versions showed it, with their
    // warnings.
    return plain ? NOTE_AS_PASTED : NOTE_DOUBT;
}
