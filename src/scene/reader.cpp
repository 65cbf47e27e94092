#include "scene/reader.h"

#include <cerrno>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "scene/keywords.h"
#include "scene/scene_error.h"

int mot_cle = 0;
char chaine[256] = {};
char strTemp[256] = {};
unsigned char type_motcle = 0;
double val_DBL = 0;
int val_INT = 0;
Vector vect_tmp = {};
Color rvb_tmp = {};
int comptligne = 1;

NamedColor* myColorList = nullptr;

namespace {

// Character classes of the "C" locale, spelled out so that no locale can change them
// and so that bytes above 127 never reach the <cctype> functions.
bool isBlank(int ch) {
    return ch == ' ' || ch == '\t' || ch == '\n' || ch == '\v' || ch == '\f' || ch == '\r';
}
bool isLetter(int ch) {
    return (ch >= 'A' && ch <= 'Z') || (ch >= 'a' && ch <= 'z');
}
bool isDigit(int ch) {
    return ch >= '0' && ch <= '9';
}
bool isWordChar(int ch) {
    return isLetter(ch) || isDigit(ch) || ch == '_' || ch == '.' || ch == '\\' || ch == ':';
}
bool isNumberStart(int ch) {
    return isDigit(ch) || ch == '+' || ch == '-' || ch == '.';
}
bool isNumberChar(int ch) {
    return isNumberStart(ch) || ch == 'e' || ch == 'E';
}

// Scene files are read on the main thread only, so the stream needs no lock per character.
int readChar(FILE* file) {
    return getc_unlocked(file);
}

// Stores `first` and every following character of the class into chaine; the character
// that ends the token goes back to the stream.
template <class Predicate> void readTokenText(FILE* file, int first, Predicate belongs) {
    int length = 0;
    int ch = first;
    do {
        if (length == kMaxTokenLength) {
            yyerror(" token too long");
        }
        chaine[length++] = static_cast<char>(ch);
        ch = readChar(file);
    } while (ch != EOF && belongs(ch));
    chaine[length] = '\0';
    if (ch != EOF) {
        ungetc(ch, file);
    }
}

// atof: the longest valid prefix; a value that does not fit a double is refused.
void convertDecimal() {
    // from_chars rounds as strtod does in the "C" locale, several times faster. It takes
    // no '+' and reports values out of range instead of rounding them: those go to strtod.
    double value = 0;
    const std::from_chars_result read =
        std::from_chars(chaine, chaine + std::strlen(chaine), value);
    if (read.ec != std::errc()) {
        value = std::strtod(chaine, nullptr);
    }
    if (!std::isfinite(value)) {
        yyerror(" number out of range");
    }
    val_DBL = value;
}

// atoi: the longest valid prefix; a value that does not fit an int is refused instead
// of being undefined.
void convertInteger() {
    errno = 0;
    long value = std::strtol(chaine, nullptr, 10);
    if (errno == ERANGE || value < INT_MIN || value > INT_MAX) {
        yyerror(" number out of range");
    }
    val_INT = static_cast<int>(value);
}

int setToken(int code) {
    mot_cle = code;
    return code;
}

void skipBlockComment(FILE* file) {
    for (;;) {
        int ch = readChar(file);
        if (ch == EOF) {
            yyerror(" unterminated comment");
        }
        if (ch == ']') {
            return;
        }
        if (ch == '\n') {
            comptligne++;
        }
    }
}

// False when the file ends inside the comment: the comment then ends the file.
bool skipLineComment(FILE* file) {
    for (;;) {
        int ch = readChar(file);
        if (ch == EOF) {
            return false;
        }
        if (ch == '\n') {
            comptligne++;
            return true;
        }
    }
}

void expectNumber(FILE* file, const char* message) {
    if (Lire_MotCle(file) != kNumber) {
        yyerror(message);
    }
}

} // namespace

int Lire_MotCle(FILE* file) {
    chaine[0] = '\0';
    for (;;) {
        int ch = readChar(file);
        if (isBlank(ch)) {
            if (ch == '\n') {
                comptligne++;
            }
            continue;
        }
        switch (ch) {
        case EOF:
            return setToken(kEndOfFile);
        case '{':
            return setToken(kOpenBrace);
        case '}':
            return setToken(kCloseBrace);
        case '"':
            return setToken(kQuote);
        case '<':
            return setToken(kOpenAngle);
        case '>':
            return setToken(kCloseAngle);
        case '#':
            return setToken(kHash);
        case '[':
            skipBlockComment(file);
            continue;
        case ';':
            if (!skipLineComment(file)) {
                return setToken(kEndOfFile);
            }
            continue;
        default:
            break;
        }
        if (isLetter(ch)) {
            readTokenText(file, ch, isWordChar);
            return setToken(Trouve_MotCle());
        }
        if (isNumberStart(ch)) {
            readTokenText(file, ch, isNumberChar);
            if (type_motcle == kDecimalMode) {
                convertDecimal();
            } else {
                convertInteger();
            }
            return setToken(kNumber);
        }
        printf("\n Syntaxic analyser stopped on character: '%c'", ch);
        printf("\n Please review the script");
        yyerror("");
    }
}

namespace {

// The looked-up rows grouped by their first byte, each group in table order, so that a
// word is compared only with the keywords that start like it.
struct KeywordIndex {
    int start[257]; // rows starting with byte c: row[start[c]] to row[start[c + 1] - 1]
    int row[kMatchedKeywordRows];
};

const KeywordIndex& keywordIndex() {
    static const KeywordIndex index = [] {
        KeywordIndex built = {};
        int count[256] = {};
        for (int row = 0; row < kMatchedKeywordRows; row++) {
            ++count[static_cast<unsigned char>(liste_motcle[row].keyword[0])];
        }
        for (int c = 0; c < 256; c++) {
            built.start[c + 1] = built.start[c] + count[c];
        }
        int next[256];
        for (int c = 0; c < 256; c++) {
            next[c] = built.start[c];
        }
        for (int row = 0; row < kMatchedKeywordRows; row++) {
            built.row[next[static_cast<unsigned char>(liste_motcle[row].keyword[0])]++] = row;
        }
        return built;
    }();
    return index;
}

} // namespace

int Trouve_MotCle() {
    const KeywordIndex& index = keywordIndex();
    const unsigned char first = static_cast<unsigned char>(chaine[0]);
    for (int k = index.start[first]; k < index.start[first + 1]; k++) {
        const int row = index.row[k];
        if (std::strcmp(chaine, liste_motcle[row].keyword) == 0) {
            return liste_motcle[row].code;
        }
    }
    return 0;
}

void Lire_Chaine(FILE* file) {
    type_motcle = kDecimalMode;
    if (Lire_MotCle(file) != kQuote) {
        yyerror(" string expected");
    }
    // The content is exactly one token of any kind; chaine and strTemp have the same size.
    Lire_MotCle(file);
    std::strcpy(strTemp, chaine);
    if (Lire_MotCle(file) != kQuote) {
        yyerror(" '\"' string delimiter expected");
    }
}

void Lire_Decimal(FILE* file) {
    type_motcle = kDecimalMode;
    expectNumber(file, " Decimal value expected");
}

void Lire_Entier(FILE* file) {
    type_motcle = kIntegerMode;
    expectNumber(file, " Integer value expected");
}

void Lire_Vecteur(FILE* file) {
    type_motcle = kDecimalMode;
    if (Lire_MotCle(file) != kOpenAngle) {
        yyerror(" Opening backet '<' expected before x component");
    }
    expectNumber(file, " x component expected");
    vect_tmp.x = val_DBL;
    expectNumber(file, " y component expected");
    vect_tmp.y = val_DBL;
    expectNumber(file, " z componente expected");
    vect_tmp.z = val_DBL;
    if (Lire_MotCle(file) != kCloseAngle) {
        yyerror(" Closing bracket '>' expected after z component");
    }
}

void Lire_RVB(FILE* file) {
    type_motcle = kDecimalMode;
    if (Lire_MotCle(file) == kHash) {
        // The name is the text of the next token, whatever its kind.
        Lire_MotCle(file);
        for (const NamedColor* element = myColorList; element != nullptr; element = element->next) {
            if (std::strcmp(element->name, chaine) == 0) {
                rvb_tmp = element->color;
                return;
            }
        }
        yyerror(" Color declaration not found");
    }
    if (mot_cle != kNumber) {
        yyerror(" Red component expected");
    }
    rvb_tmp.red = val_DBL;
    expectNumber(file, " Green component expected");
    rvb_tmp.green = val_DBL;
    expectNumber(file, " Blue component expeced");
    rvb_tmp.blue = val_DBL;
}

void yyerror(const char* message) {
    throw SceneError(comptligne, message);
}

void printSceneError(const SceneError& error) {
    printf("\n Parser Error - line: %d", error.line);
    if (!error.message.empty()) {
        printf(" - %s\n", error.message.c_str());
    } else {
        printf("\n");
    }
}

void printSceneFileError(const SceneFileError& error) {
    printf("\n Scene file: %s could no be opened\n", error.path.c_str());
}

void addColorToList(NamedColor** head, NamedColor* element) {
    element->next = *head;
    *head = element;
}

int freeColorList(NamedColor** head) {
    int freed = 0;
    while (*head != nullptr) {
        NamedColor* first = *head;
        *head = first->next;
        delete first;
        freed++;
    }
    return freed;
}

void resetReaderState() {
    mot_cle = 0;
    chaine[0] = '\0';
    strTemp[0] = '\0';
    type_motcle = 0;
    val_DBL = 0;
    val_INT = 0;
    vect_tmp = {};
    rvb_tmp = {};
    comptligne = 1;
    freeColorList(&myColorList);
}
