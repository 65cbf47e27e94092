// In-process tests of the token reader, the scene file parser and the camera and settings
// blocks. Scene text goes through real FILE streams; errors arrive as SceneError.

#include <gtest/gtest.h>

#include <bit>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <numbers>
#include <optional>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "driver/scene_state.h"
#include "geometry/object.h"
#include "render/light.h"
#include "run_program.h"
#include "scene/keywords.h"
#include "scene/parser.h"
#include "scene/reader.h"
#include "scene/scene_error.h"

namespace {

namespace fs = std::filesystem;

// Scene text as an open stream.
class TextFile {
  public:
    explicit TextFile(const std::string& text) : file_(std::tmpfile()) {
        if (file_ == nullptr) {
            throw std::runtime_error("tmpfile failed");
        }
        std::fwrite(text.data(), 1, text.size(), file_);
        std::rewind(file_);
    }
    ~TextFile() { std::fclose(file_); }
    TextFile(const TextFile&) = delete;
    TextFile& operator=(const TextFile&) = delete;
    FILE* get() const { return file_; }

  private:
    FILE* file_;
};

// What a call printed and how it ended.
struct Outcome {
    std::optional<SceneError> error;
    std::optional<std::string> unopenedFile;
    std::string out;
    int result = 0;
};

template <class Call> Outcome capture(Call call) {
    Outcome outcome;
    std::fflush(stdout);
    testing::internal::CaptureStdout();
    try {
        outcome.result = call();
    } catch (const SceneError& error) {
        outcome.error = error;
    } catch (const SceneFileError& error) {
        outcome.unopenedFile = error.path;
    }
    std::fflush(stdout);
    outcome.out = testing::internal::GetCapturedStdout();
    return outcome;
}

using Read = void (*)(FILE*);

void readAllTokens(FILE* file) {
    while (Lire_MotCle(file) != kEndOfFile) {
    }
}

Outcome readText(Read read, const std::string& text) {
    TextFile file(text);
    return capture([&] {
        read(file.get());
        return 0;
    });
}

class ReaderTest : public testing::Test {
  protected:
    void SetUp() override {
        resetSceneState();
        setMainDefaults();
        resetReaderState();
    }
    void TearDown() override { resetReaderState(); }
};

// ---------------------------------------------------------------- tokens

struct TokenCase {
    const char* name;
    std::string text;
    std::vector<std::pair<int, std::string>> tokens; // code and chaine, before end of file
    int lineAtEnd;
};

TEST_F(ReaderTest, TokenSequences) {
    const std::vector<TokenCase> cases = {
        {"angle ends a word",
         "center<1 2 3>",
         {{kwCenter, "center"},
          {kOpenAngle, ""},
          {kNumber, "1"},
          {kNumber, "2"},
          {kNumber, "3"},
          {kCloseAngle, ""}},
         1},
        {"letter ends a number", "5x", {{kNumber, "5"}, {kPlainWord, "x"}}, 1},
        {"word characters", "a.b:c\\d_e9", {{kPlainWord, "a.b:c\\d_e9"}}, 1},
        {"case and unmatched rows",
         "Camera move rotate scale modify color",
         {{kPlainWord, "Camera"},
          {kPlainWord, "move"},
          {kPlainWord, "rotate"},
          {kPlainWord, "scale"},
          {kwModify, "modify"},
          {kwColor, "color"}},
         1},
        {"single characters",
         "{}\"<>#",
         {{kOpenBrace, ""},
          {kCloseBrace, ""},
          {kQuote, ""},
          {kOpenAngle, ""},
          {kCloseAngle, ""},
          {kHash, ""}},
         1},
        {"block comment over three lines", "[one\ntwo\nthree\n]x", {{kPlainWord, "x"}}, 4},
        {"block comments do not nest", "[ a [ b ] x", {{kPlainWord, "x"}}, 1},
        {"line comment eats its newline", "; note\nx", {{kPlainWord, "x"}}, 2},
        {"line comment at end of file", "x ; tail without newline", {{kPlainWord, "x"}}, 1},
        {"comments end tokens",
         "abc;c\ndef[c]ghi",
         {{kPlainWord, "abc"}, {kPlainWord, "def"}, {kPlainWord, "ghi"}},
         2},
        {"number texts",
         "1.5.2 2-3 -- .5e+3",
         {{kNumber, "1.5.2"}, {kNumber, "2-3"}, {kNumber, "--"}, {kNumber, ".5e+3"}},
         1},
        {"lone sign then word", "-x", {{kNumber, "-"}, {kPlainWord, "x"}}, 1},
        {"letter starts a word even with digits", "e5", {{kPlainWord, "e5"}}, 1},
        {"all blanks",
         "x\r\n\ty\v\fz \n",
         {{kPlainWord, "x"}, {kPlainWord, "y"}, {kPlainWord, "z"}},
         3},
        {"empty file", "", {}, 1},
        {"longest word", std::string(255, 'w'), {{kPlainWord, std::string(255, 'w')}}, 1},
    };
    for (const TokenCase& test : cases) {
        SCOPED_TRACE(test.name);
        resetReaderState();
        TextFile file(test.text);
        for (const auto& [code, text] : test.tokens) {
            EXPECT_EQ(Lire_MotCle(file.get()), code);
            EXPECT_EQ(mot_cle, code);
            EXPECT_EQ(std::string(chaine), text);
        }
        EXPECT_EQ(Lire_MotCle(file.get()), kEndOfFile);
        EXPECT_EQ(mot_cle, kEndOfFile);
        EXPECT_STREQ(chaine, "");
        EXPECT_EQ(comptligne, test.lineAtEnd);
    }
}

struct NumberCase {
    const char* text;
    unsigned char mode;
    double decimal; // expected val_DBL
    int integer;    // expected val_INT
};

TEST_F(ReaderTest, NumberConversionsUseTheLongestPrefixOfTheirMode) {
    // The variable of the other mode keeps its sentinel.
    constexpr double kOtherDecimal = 123.25;
    constexpr int kOtherInteger = 77;
    const std::vector<NumberCase> cases = {
        {"-.5", kDecimalMode, -0.5, kOtherInteger},
        {"1e-2", kDecimalMode, 0.01, kOtherInteger},
        {"1.5.2", kDecimalMode, 1.5, kOtherInteger},
        {"2-3", kDecimalMode, 2, kOtherInteger},
        {"-", kDecimalMode, 0, kOtherInteger},
        {"1e3", kDecimalMode, 1000, kOtherInteger},
        {"+7.25", kDecimalMode, 7.25, kOtherInteger},
        {"1e-999", kDecimalMode, 0, kOtherInteger},
        {"3.7", kIntegerMode, kOtherDecimal, 3},
        {"1e3", kIntegerMode, kOtherDecimal, 1},
        {"2-3", kIntegerMode, kOtherDecimal, 2},
        {"-", kIntegerMode, kOtherDecimal, 0},
        {"-42", kIntegerMode, kOtherDecimal, -42},
        {"+8", kIntegerMode, kOtherDecimal, 8},
        {"1e999", kIntegerMode, kOtherDecimal, 1},
        {"2147483647", kIntegerMode, kOtherDecimal, INT_MAX},
        {"-2147483648", kIntegerMode, kOtherDecimal, INT_MIN},
        // Mode 0, the program-start value, converts as integer.
        {"2.5", 0, kOtherDecimal, 2},
    };
    for (const NumberCase& test : cases) {
        SCOPED_TRACE(std::string(test.text) + " in mode " + std::to_string(test.mode));
        type_motcle = test.mode;
        val_DBL = kOtherDecimal;
        val_INT = kOtherInteger;
        TextFile file(test.text);
        ASSERT_EQ(Lire_MotCle(file.get()), kNumber);
        EXPECT_EQ(val_DBL, test.decimal);
        EXPECT_EQ(val_INT, test.integer);
    }
}

// Every decimal the reader accepts has the bits strtod gives for the token; a token whose
// strtod value is not finite is refused.
TEST_F(ReaderTest, DecimalsHaveTheBitsOfStrtod) {
    std::vector<std::string> tokens = {"4.9e-324",
                                       "2.4703282292062327e-324",
                                       "2.4703282292062328e-324",
                                       "1e-330",
                                       "2.2250738585072011e-308",
                                       "2.2250738585072014e-308",
                                       "1.7976931348623157e308",
                                       "1.7976931348623158e308",
                                       "1.797693134862315807e308",
                                       "0.1",
                                       "9007199254740993",
                                       "123456789012345678901234567890123456789",
                                       "+.5",
                                       "+-5",
                                       "++1",
                                       "-+1",
                                       "-0",
                                       "+0",
                                       "0e0",
                                       "1.",
                                       ".e1",
                                       "5e",
                                       "5e+",
                                       "5e-",
                                       "5E-1",
                                       "1e-999",
                                       "-1e-999",
                                       "1e999",
                                       ".",
                                       "+",
                                       "-.",
                                       "00012.50"};
    tokens.push_back("0." + std::string(200, '0') + "1");
    const unsigned seed = testing::UnitTest::GetInstance()->random_seed();
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(seed);
    const std::string starts = "0123456789+-.";
    const std::string chars = "0123456789012345678901234567890123456789+-.eE";
    for (int n = 0; n < 5000; n++) {
        std::string token(1, starts[random() % starts.size()]);
        const std::size_t length = random() % 40;
        for (std::size_t k = 0; k < length; k++) {
            token += chars[random() % chars.size()];
        }
        tokens.push_back(token);
    }
    // The accepted ones in one file, one after the other; the refused ones each alone.
    std::string text;
    std::vector<double> expected;
    for (const std::string& token : tokens) {
        const double value = std::strtod(token.c_str(), nullptr);
        if (std::isfinite(value)) {
            text += token + "\n";
            expected.push_back(value);
        } else {
            SCOPED_TRACE(token);
            Outcome outcome = readText(Lire_Decimal, token);
            ASSERT_TRUE(outcome.error.has_value());
            EXPECT_EQ(outcome.error->message, " number out of range");
        }
    }
    TextFile file(text);
    for (std::size_t k = 0; k < expected.size(); k++) {
        Lire_Decimal(file.get());
        ASSERT_EQ(std::bit_cast<std::uint64_t>(val_DBL), std::bit_cast<std::uint64_t>(expected[k]))
            << "line " << k + 1;
    }
}

TEST_F(ReaderTest, EveryKeywordRowReadsAsItsCodeExceptTheLastThree) {
    std::string text;
    for (const KeywordRow& row : liste_motcle) {
        text += std::string(row.keyword) + "\n";
    }
    TextFile file(text);
    for (int row = 0; row < kKeywordRows; row++) {
        SCOPED_TRACE(liste_motcle[row].keyword);
        int expected = row < kMatchedKeywordRows ? liste_motcle[row].code : kPlainWord;
        EXPECT_EQ(Lire_MotCle(file.get()), expected);
        EXPECT_STREQ(chaine, liste_motcle[row].keyword);
        EXPECT_EQ(comptligne, row + 1);
    }
}

TEST_F(ReaderTest, KeywordTableHoldsTheSynonymsAndCodes) {
    const std::vector<std::pair<const char*, int>> cases = {
        {"camera", 100},  {"resolution", 202},     {"display", 202},
        {"aa_type", 206}, {"antialiasing", 206},   {"aa_jitter", 205},
        {"samples", 108}, {"camera_samples", 114}, {"include", 4},
        {"declare", 5},   {"disc", 704},           {"smooth_triangle", 903},
        {"patch", 902},   {"cylinder", 900},       {"halton", 216},
        {"modify", 1000}, {"input_name", 211},     {"global_illumination", 212},
        {"move", 0},      {"rotate", 0},           {"scale", 0},
        {"Color", 0},     {"colors", 0},           {"", 0},
    };
    for (const auto& [word, code] : cases) {
        SCOPED_TRACE(word);
        std::strcpy(chaine, word);
        EXPECT_EQ(Trouve_MotCle(), code);
    }
    EXPECT_STREQ(liste_motcle[79].keyword, "move");
    EXPECT_EQ(liste_motcle[79].code, 1001);
    EXPECT_EQ(liste_motcle[81].code, 1003);
}

// ---------------------------------------------------------------- reader errors

struct ErrorCase {
    const char* name;
    Read read;
    std::string text;
    const char* message;
    int line;
    std::string out = ""; // everything printed before the error
};

std::string stoppedOn(const std::string& character) {
    return "\n Syntaxic analyser stopped on character: '" + character +
           "'\n Please review the script";
}

TEST_F(ReaderTest, ReaderErrorsCarryTheirMessageAndLine) {
    const std::vector<ErrorCase> cases = {
        {"comma in a vector", Lire_Vecteur, "<1,2,3>", "", 1, stoppedOn(",")},
        {"word starting with underscore", readAllTokens, "ok\n_x", "", 2, stoppedOn("_")},
        {"slash", readAllTokens, "a/b", "", 1, stoppedOn("/")},
        {"parenthesis", readAllTokens, "(", "", 1, stoppedOn("(")},
        {"stray closing comment", readAllTokens, "]", "", 1, stoppedOn("]")},
        {"byte above 127", readAllTokens, "\n\xc3\xa9", "", 2, stoppedOn("\xc3")},
        {"NUL byte", readAllTokens, std::string("x \0", 3), "", 1, stoppedOn(std::string(1, '\0'))},
        {"two vector components", Lire_Vecteur, "<1 2>", " z componente expected", 1},
        {"no opening angle", Lire_Vecteur, "1 2 3>",
         " Opening backet '<' expected before x component", 1},
        {"no x", Lire_Vecteur, "< >", " x component expected", 1},
        {"no y", Lire_Vecteur, "<1 y 3>", " y component expected", 1},
        {"no closing angle", Lire_Vecteur, "<1 2 3 4>",
         " Closing bracket '>' expected after z component", 1},
        {"line of the offending token", Lire_Vecteur, "<1\n2\n\n>", " z componente expected", 4},
        {"no opening quote", Lire_Chaine, "name", " string expected", 1},
        {"blank in a string", Lire_Chaine, "\"my file\"", " '\"' string delimiter expected", 1},
        {"slash in a string", Lire_Chaine, "\"dir/out\"", "", 1, stoppedOn("/")},
        {"two quotes", Lire_Chaine, "\"\"\nx", " '\"' string delimiter expected", 2},
        {"string at end of file", Lire_Chaine, "\"abc", " '\"' string delimiter expected", 1},
        {"decimal", Lire_Decimal, "x", " Decimal value expected", 1},
        {"decimal at end of file", Lire_Decimal, "\n", " Decimal value expected", 2},
        {"integer", Lire_Entier, "{", " Integer value expected", 1},
        {"red", Lire_RVB, "<1 2 3>", " Red component expected", 1},
        {"green", Lire_RVB, "1 x 3", " Green component expected", 1},
        {"blue", Lire_RVB, "1 2\n}", " Blue component expeced", 2},
        {"undeclared colour", Lire_RVB, "#sky", " Color declaration not found", 1},
        {"word too long", readAllTokens, std::string(256, 'a'), " token too long", 1},
        {"number too long", Lire_Decimal, std::string(256, '1'), " token too long", 1},
        {"unterminated block comment", readAllTokens, "x [ open\n\n", " unterminated comment", 3},
        {"decimal overflow", Lire_Decimal, "1e999", " number out of range", 1},
        {"negative decimal overflow", Lire_Vecteur, "<1 -1e400 0>", " number out of range", 1},
        {"integer overflow", Lire_Entier, "2147483648", " number out of range", 1},
        {"integer underflow", Lire_Entier, "-2147483649", " number out of range", 1},
    };
    for (const ErrorCase& test : cases) {
        SCOPED_TRACE(test.name);
        resetReaderState();
        Outcome outcome = readText(test.read, test.text);
        ASSERT_TRUE(outcome.error.has_value());
        EXPECT_EQ(outcome.error->message, test.message);
        EXPECT_EQ(outcome.error->line, test.line);
        EXPECT_EQ(outcome.out, test.out);
    }
}

TEST_F(ReaderTest, PrintedErrorsAreExactBytes) {
    const std::vector<std::pair<SceneError, std::string>> cases = {
        {SceneError(12, " Unkown term"), "\n Parser Error - line: 12 -  Unkown term\n"},
        {SceneError(3, ""), "\n Parser Error - line: 3\n"},
    };
    for (const auto& [error, bytes] : cases) {
        SCOPED_TRACE(bytes);
        Outcome outcome = capture([&] {
            printSceneError(error);
            return 0;
        });
        EXPECT_EQ(outcome.out, bytes);
    }
    Outcome outcome = capture([] {
        printSceneFileError(SceneFileError("inc.qlx"));
        return 0;
    });
    EXPECT_EQ(outcome.out, "\n Scene file: inc.qlx could no be opened\n");
}

// ---------------------------------------------------------------- typed reads

TEST_F(ReaderTest, StringsHoldOneTokenBetweenQuotes) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"\"scene.qlx\"", "scene.qlx"},
        {"\"out_01\"", "out_01"},
        {"\"\"\"", ""},
        {"\" [c] word ; c\n \"", "word"},
        {"\"12.5\"", "12.5"},
        {"\"c:\\dir\\file.qlx\"", "c:\\dir\\file.qlx"},
        {"\"" + std::string(255, 's') + "\"", std::string(255, 's')},
    };
    for (const auto& [text, value] : cases) {
        SCOPED_TRACE(text);
        type_motcle = kIntegerMode;
        TextFile file(text);
        Lire_Chaine(file.get());
        EXPECT_EQ(std::string(strTemp), value);
        EXPECT_EQ(type_motcle, kDecimalMode);
    }
}

TEST_F(ReaderTest, TypedReadsSetTheirModeAndValue) {
    TextFile file("< -1 .5\n[c] 2e1 > 0.25 0.5 1 3 4.5");
    Lire_Vecteur(file.get());
    EXPECT_EQ(vect_tmp.x, -1);
    EXPECT_EQ(vect_tmp.y, 0.5);
    EXPECT_EQ(vect_tmp.z, 20);
    Lire_RVB(file.get());
    EXPECT_EQ(rvb_tmp.red, 0.25);
    EXPECT_EQ(rvb_tmp.green, 0.5);
    EXPECT_EQ(rvb_tmp.blue, 1);
    Lire_Entier(file.get());
    EXPECT_EQ(type_motcle, kIntegerMode);
    EXPECT_EQ(val_INT, 3);
    Lire_Decimal(file.get());
    EXPECT_EQ(type_motcle, kDecimalMode);
    EXPECT_EQ(val_DBL, 4.5);
    EXPECT_EQ(comptligne, 2);
}

// ---------------------------------------------------------------- declared colours

void declare(const std::string& text) {
    TextFile file(text);
    yy_declare(file.get());
}

Color readColor(const std::string& text) {
    TextFile file(text);
    Lire_RVB(file.get());
    return rvb_tmp;
}

TEST_F(ReaderTest, LaterDeclarationOfANameWins) {
    declare("\"sky\" color 0.1 0.2 0.3");
    declare("\"grass\" color 0 1 0");
    declare("\"sky\" color 0.4 0.5 0.6");
    declare("\"12\" color 1 1 0");
    for (const char* text : {"#sky", "# sky", "#\n[c]sky"}) {
        SCOPED_TRACE(text);
        Color color = readColor(text);
        EXPECT_EQ(color.red, 0.4);
        EXPECT_EQ(color.green, 0.5);
        EXPECT_EQ(color.blue, 0.6);
    }
    EXPECT_EQ(readColor("#grass").green, 1);
    EXPECT_EQ(readColor("#12").blue, 0);
    // Both "sky" elements stay in the list.
    EXPECT_EQ(freeColorList(&myColorList), 4);
    EXPECT_EQ(myColorList, nullptr);
}

TEST_F(ReaderTest, ColourNamesUpToSixtyThreeCharacters) {
    const std::string longest(63, 'n');
    declare("\"" + longest + "\" color 1 0.5 0");
    EXPECT_EQ(readColor("#" + longest).green, 0.5);

    Outcome outcome = readText(yy_declare, "\"" + std::string(64, 'n') + "\"\ncolor 1 1 1");
    ASSERT_TRUE(outcome.error.has_value());
    EXPECT_EQ(outcome.error->message, " color name too long");
    EXPECT_EQ(outcome.error->line, 1);
}

TEST_F(ReaderTest, DeclarationErrors) {
    const std::vector<ErrorCase> cases = {
        {"not a colour", yy_declare, "\"x\" surface", " Unkown element in declaration", 1},
        {"capital Color", yy_declare, "\"x\"\nColor 1 1 1", " Unkown element in declaration", 2},
        {"no name", yy_declare, "x color 1 1 1", " string expected", 1},
        {"refers to another colour", yy_declare, "\"x\" color #y", " Decimal value expected", 1},
        {"two values", yy_declare, "\"x\" color 1 1 }", " Decimal value expected", 1},
    };
    for (const ErrorCase& test : cases) {
        SCOPED_TRACE(test.name);
        resetReaderState();
        Outcome outcome = readText(test.read, test.text);
        ASSERT_TRUE(outcome.error.has_value());
        EXPECT_EQ(outcome.error->message, test.message);
        EXPECT_EQ(outcome.error->line, test.line);
        EXPECT_EQ(myColorList, nullptr);
    }
}

// ---------------------------------------------------------------- camera block

TEST_F(ReaderTest, CameraBlockStartsFromItsDefaults) {
    // Left over from an earlier camera block: all of it must go back to the defaults.
    myViewPoint.up = {1, 0, 0};
    myViewPoint.fov = 1;
    myViewPoint.ratio = 2;
    myViewPoint.aperture = 3;
    myViewPoint.focal_length = 4;
    myViewPoint.camera_samples = 5;
    myViewPoint.projection_type = 1;
    TextFile file("{ position <0 -10 0> look_at <0 0 0> }");
    yy_camera(file.get());
    EXPECT_EQ(myViewPoint.position.y, -10);
    EXPECT_EQ(myViewPoint.look_at.y, 0);
    EXPECT_EQ(myViewPoint.up.x, 0);
    EXPECT_EQ(myViewPoint.up.y, 0);
    EXPECT_EQ(myViewPoint.up.z, 1);
    EXPECT_EQ(myViewPoint.fov, 0.39269908169872414);
    EXPECT_EQ(myViewPoint.ratio, 1.3333333333333333);
    EXPECT_EQ(myViewPoint.aperture, 0);
    EXPECT_EQ(myViewPoint.focal_length, 10);
    EXPECT_EQ(myViewPoint.camera_samples, 16);
    EXPECT_EQ(myViewPoint.projection_type, 0);
}

TEST_F(ReaderTest, CameraBlockKeywords) {
    TextFile file("{ position <1 2 3> look_at <1 12 3> up <0 1 1> fov 30 fov 90 ratio 1.5\n"
                  "  aperture 0.2 samples 4 camera_samples 8 projection_type \"fisheye\"\n"
                  "  focal_point <1 5 7> }");
    yy_camera(file.get());
    EXPECT_EQ(myViewPoint.up.y, 1);
    EXPECT_EQ(myViewPoint.up.z, 1);
    EXPECT_DOUBLE_EQ(myViewPoint.fov, std::numbers::pi / 4);
    EXPECT_EQ(myViewPoint.ratio, 1.5);
    EXPECT_EQ(myViewPoint.aperture, 0.2);
    EXPECT_EQ(myViewPoint.camera_samples, 8);
    EXPECT_EQ(myViewPoint.projection_type, 1);
    // (0, 3, 4) from the position.
    EXPECT_EQ(myViewPoint.focal_length, 5);

    TextFile flat("{ position <0 0 0> look_at <1 0 0> focal_length 2.5 projection_type \"flat\" }");
    yy_camera(flat.get());
    EXPECT_EQ(myViewPoint.focal_length, 2.5);
    EXPECT_EQ(myViewPoint.projection_type, 0);
    EXPECT_EQ(myViewPoint.fov, 0.39269908169872414);
}

TEST_F(ReaderTest, CameraBlockErrors) {
    const std::string eye = "position <0 -10 0> look_at <0 0 0>";
    const std::vector<ErrorCase> cases = {
        {"no brace", yy_camera, "position <0 0 0>", " Opening bracket '{' expected", 1},
        {"direction", yy_camera, "{ " + eye + "\n direction <1 0 0> }",
         " Unkown parameter in camera structure", 2},
        {"target", yy_camera, "{ target <1 0 0> }", " Unkown parameter in camera structure", 1},
        {"light samples", yy_camera, "{ light_samples 2 }", " Unkown parameter in camera structure",
         1},
        {"number", yy_camera, "{ 5 }", " Unkown parameter in camera structure", 1},
        {"brace", yy_camera, "{ { }", " Unkown parameter in camera structure", 1},
        {"end of file", yy_camera, "{ " + eye + "\n", " Unkown parameter in camera structure", 2},
        {"two positions", yy_camera, "{ " + eye + "\n position <0 -9 0>\n}",
         " error in camera structure declaration", 3},
        {"no position", yy_camera, "{ look_at <0 0 0> }", " error in camera structure declaration",
         1},
        {"no look_at", yy_camera, "{ position <0 0 0> }", " error in camera structure declaration",
         1},
        {"focal length and point", yy_camera, "{ " + eye + " focal_length 5 focal_point <0 0 0>\n}",
         " focal lenght OR focal point must be defined", 2},
        {"no samples", yy_camera, "{ " + eye + "\n samples\n 0 }",
         " camera samples must be greater than 0", 3},
        {"negative samples", yy_camera, "{ camera_samples -3 }",
         " camera samples must be greater than 0", 1},
        {"upper-case projection", yy_camera, "{ projection_type \"FISHEYE\" }",
         " invalid camera projection type specified", 1},
        {"look_at at the eye", yy_camera, "{ position <1 2 3> look_at <1 2 3>\n}",
         " camera look_at cannot equal position", 2},
        {"up along the view", yy_camera, "{ " + eye + " up <0 3 0> }",
         " camera up cannot be parallel to the view direction", 1},
        {"up against the view", yy_camera, "{ " + eye + " up <0 -1 0> }",
         " camera up cannot be parallel to the view direction", 1},
        {"zero up", yy_camera, "{ " + eye + " up <0 0 0> }",
         " camera up cannot be parallel to the view direction", 1},
        {"up too short to normalise", yy_camera, "{ " + eye + " up <0 0 1e-170> }",
         " camera up cannot be parallel to the view direction", 1},
        {"zero ratio", yy_camera, "{ " + eye + " ratio 0 }", " camera ratio must be greater than 0",
         1},
        {"negative ratio", yy_camera, "{ " + eye + " ratio -1.5\n}",
         " camera ratio must be greater than 0", 2},
        // The block's own checks come first.
        {"repeated position at the eye", yy_camera,
         "{ position <0 0 0> position <0 0 0> look_at <0 0 0> }",
         " error in camera structure declaration", 1},
        {"focal conflict and zero ratio", yy_camera,
         "{ " + eye + " ratio 0 focal_length 1 focal_point <0 0 0> }",
         " focal lenght OR focal point must be defined", 1},
    };
    for (const ErrorCase& test : cases) {
        SCOPED_TRACE(test.name);
        resetReaderState();
        Outcome outcome = readText(test.read, test.text);
        ASSERT_TRUE(outcome.error.has_value());
        EXPECT_EQ(outcome.error->message, test.message);
        EXPECT_EQ(outcome.error->line, test.line);
        EXPECT_EQ(outcome.out, test.out);
    }
}

// ---------------------------------------------------------------- settings block

const std::string kOutput = "output_name \"out\" output_type \"ppm\"";

TEST_F(ReaderTest, SettingsBlockStartsFromItsDefaults) {
    myBackGroundColor = {1, 1, 1};
    myDisplay.width = 1;
    myDisplay.height = 2;
    jitter = 1;
    iAntialias = 2;
    adapt_dist = 3;
    myHaze.haze_color = {1, 1, 1};
    myHaze.haze_factor = 4;
    TextFile file("{ " + kOutput + " }");
    yy_settings(file.get());
    EXPECT_STREQ(myDisplay.output_name, "out");
    EXPECT_EQ(iImageType, 2);
    EXPECT_EQ(myBackGroundColor.red, 0);
    EXPECT_EQ(myBackGroundColor.blue, 0);
    EXPECT_EQ(myDisplay.width, 320);
    EXPECT_EQ(myDisplay.height, 240);
    EXPECT_EQ(jitter, 0);
    EXPECT_EQ(iAntialias, 0);
    EXPECT_EQ(adapt_dist, 64);
    EXPECT_EQ(myHaze.haze_color.green, 0);
    EXPECT_EQ(myHaze.haze_factor, 0);
}

TEST_F(ReaderTest, SettingsBlockKeywords) {
    declare("\"fog\" color 0.5 0.6 0.7");
    TextFile file("{ background 0.1 0.2 3 display 100 50 resolution 640 480 output_type \"bmp\"\n"
                  "  output_name \"pic_01\" aa_jitter \"yes\" aa_type \"adaptive\" aa_distance 10\n"
                  "  haze_color #fog haze_factor 0.25 jpeg_quality }");
    yy_settings(file.get());
    EXPECT_EQ(myBackGroundColor.green, 0.2);
    EXPECT_EQ(myBackGroundColor.blue, 3);
    EXPECT_EQ(myDisplay.width, 640);
    EXPECT_EQ(myDisplay.height, 480);
    EXPECT_EQ(iImageType, 1);
    EXPECT_STREQ(myDisplay.output_name, "pic_01");
    EXPECT_EQ(jitter, 1);
    EXPECT_EQ(iAntialias, 2);
    EXPECT_EQ(adapt_dist, 10);
    EXPECT_EQ(myHaze.haze_color.blue, 0.7);
    EXPECT_EQ(myHaze.haze_factor, 0.25);
}

TEST_F(ReaderTest, SettingsBlockStringChoices) {
    struct Choice {
        const char* keyword;
        const char* value;
        int* field;
        int expected;
    };
    const std::vector<Choice> cases = {
        {"output_type", "tga", &iImageType, 0},
        {"output_type", "bmp", &iImageType, 1},
        {"output_type", "ppm", &iImageType, 2},
        {"antialiasing", "none", &iAntialias, 0},
        {"antialiasing", "quick", &iAntialias, 1},
        {"aa_type", "adaptive", &iAntialias, 2},
        {"jitter", "yes", &jitter, 1},
        {"aa_jitter", "no", &jitter, 0},
    };
    for (const Choice& choice : cases) {
        SCOPED_TRACE(std::string(choice.keyword) + " " + choice.value);
        *choice.field = -1;
        std::string outputType =
            std::strcmp(choice.keyword, "output_type") == 0 ? "" : " output_type \"tga\"";
        TextFile file(std::string("{ output_name \"o\"") + outputType + " " + choice.keyword +
                      " \"" + choice.value + "\" }");
        yy_settings(file.get());
        EXPECT_EQ(*choice.field, choice.expected);
    }
}

TEST_F(ReaderTest, SettingsBlockErrors) {
    const std::vector<ErrorCase> cases = {
        {"no brace", yy_settings, kOutput + " }", " Opening bracket '{' expected", 1},
        {"no output type", yy_settings, "{ output_name \"o\"\n}",
         " error in settings structure declaration", 2},
        {"no output name", yy_settings, "{ output_type \"tga\" }",
         " error in settings structure declaration", 1},
        {"two output names", yy_settings, "{ " + kOutput + " output_name \"p\" }",
         " error in settings structure declaration", 1},
        {"upper-case type", yy_settings, "{ output_type \"TGA\" }",
         " invalid output file type specified", 1},
        {"jitter maybe", yy_settings, "{ jitter \"maybe\" }",
         " jitter must be either 'yes' or 'no'", 1},
        {"jitter YES", yy_settings, "{ aa_jitter \"YES\" }", " jitter must be either 'yes' or 'no'",
         1},
        {"anti-aliasing", yy_settings, "{ antialiasing \"fast\" }",
         " invalid anti-aliasing type specified", 1},
        {"jpeg quality value", yy_settings, "{ " + kOutput + " jpeg_quality\n 90 }",
         " Unkown parameter in settings structure", 2},
        {"camera keyword", yy_settings, "{ fov 1 }", " Unkown parameter in settings structure", 1},
        {"end of file", yy_settings, "{ " + kOutput, " Unkown parameter in settings structure", 1},
        {"zero width", yy_settings, "{ display 0 480 }",
         " display width and height must be greater than 0", 1},
        {"negative height", yy_settings, "{ resolution 640\n -1 }",
         " display width and height must be greater than 0", 2},
        {"short background", yy_settings, "{ background 1 2 }", " Blue component expeced", 1},
        {"undeclared haze colour", yy_settings, "{ haze_color #fog }",
         " Color declaration not found", 1},
    };
    for (const ErrorCase& test : cases) {
        SCOPED_TRACE(test.name);
        resetReaderState();
        Outcome outcome = readText(test.read, test.text);
        ASSERT_TRUE(outcome.error.has_value());
        EXPECT_EQ(outcome.error->message, test.message);
        EXPECT_EQ(outcome.error->line, test.line);
    }
}

// ---------------------------------------------------------------- scene files

const std::string kCamera = "camera { position <0 -10 0> look_at <0 0 0> }\n";
const std::string kSettings = "settings { output_name \"out\" output_type \"ppm\" }\n";

// Scene files in a directory of their own, which is also the working directory, since
// includes are opened relative to it.
class SceneFileTest : public ReaderTest {
  protected:
    void SetUp() override {
        ReaderTest::SetUp();
        previous_ = fs::current_path();
        fs::current_path(dir_.path());
    }
    void TearDown() override {
        fs::current_path(previous_);
        ReaderTest::TearDown();
    }
    void write(const std::string& name, const std::string& text) { dir_.write(name, text); }
    Outcome parse(const char* path = "main.qlx") {
        return capture([&] { return parseFile(path); });
    }

  private:
    TempDir dir_;
    fs::path previous_;
};

TEST_F(SceneFileTest, MissingBlocksAreReportedInOrder) {
    const std::vector<std::pair<std::string, const char*>> cases = {
        {"", " Missing camera!"},
        {"; nothing but a comment", " Missing camera!"},
        {kSettings, " Missing camera!"},
        {kCamera, " Missing settings!"},
        {kSettings + kCamera, " Missing surface!"},
    };
    for (const auto& [text, message] : cases) {
        SCOPED_TRACE(text);
        write("main.qlx", text);
        Outcome outcome = parse();
        ASSERT_FALSE(outcome.error.has_value());
        EXPECT_EQ(outcome.result, -1);
        EXPECT_EQ(outcome.out, std::string("\n Parsing main.qlx") + message);
    }
}

TEST_F(SceneFileTest, BlocksAreCounted) {
    write("main.qlx", kCamera + kSettings + kCamera);
    parse();
    EXPECT_EQ(c, 2);
    EXPECT_EQ(s, 1);
    EXPECT_EQ(su, 0);
    EXPECT_EQ(l, 0);
    // A new parse starts its counters again.
    write("main.qlx", kSettings);
    parse();
    EXPECT_EQ(c, 0);
    EXPECT_EQ(s, 1);
}

TEST_F(SceneFileTest, TopLevelTermsThatOpenNoBlock) {
    struct TermCase {
        std::string text;
        const char* printed;
        int line;
    };
    const std::vector<TermCase> cases = {
        {"position <1 2 3>", "101 'position'", 1},
        {kCamera + "\n\nmodify", "1000 'modify'", 4},
        {"move", "0 'move'", 1},
        {"}", "11 ''", 1},
        {"12.5", "1 '12.5'", 1},
        {"color 1 1 1", "304 'color'", 1},
        {"input_name", "211 'input_name'", 1},
        {"direction", "119 'direction'", 1},
        {"vertex", "801 'vertex'", 1},
    };
    for (const TermCase& test : cases) {
        SCOPED_TRACE(test.text);
        resetReaderState();
        write("main.qlx", test.text);
        Outcome outcome = parse();
        ASSERT_TRUE(outcome.error.has_value());
        EXPECT_EQ(outcome.error->message, " Unkown term");
        EXPECT_EQ(outcome.error->line, test.line);
        EXPECT_EQ(outcome.out, "\n Parsing main.qlx\n Scene parser returned error: " +
                                   std::string(test.printed) + "\n");
    }
}

TEST_F(SceneFileTest, LineNumbersRunOnAcrossIncludedFiles) {
    write("three.qlx", "\n\n\n");
    write("bad.qlx", "\n\n\nposition");
    write("middle.qlx", "\ninclude \"bad.qlx\"");
    struct IncludeCase {
        std::string main;
        std::string out;
        int line;
    };
    const std::vector<IncludeCase> cases = {
        // After the include: 2 + 3 + 2 newlines.
        {"\n\ninclude \"three.qlx\"\n\nposition", "\n Parsing main.qlx\n Parsing three.qlx", 8},
        // Inside the included file: 3 + 3 newlines.
        {"\n\ninclude\n\"bad.qlx\"", "\n Parsing main.qlx\n Parsing bad.qlx", 7},
        // Two levels down: 1 + 1 + 3.
        {"\ninclude \"middle.qlx\"", "\n Parsing main.qlx\n Parsing middle.qlx\n Parsing bad.qlx",
         6},
    };
    for (const IncludeCase& test : cases) {
        SCOPED_TRACE(test.main);
        resetReaderState();
        write("main.qlx", test.main);
        Outcome outcome = parse();
        ASSERT_TRUE(outcome.error.has_value());
        EXPECT_EQ(outcome.error->line, test.line);
        EXPECT_EQ(outcome.out, test.out + "\n Scene parser returned error: 101 'position'\n");
    }
}

TEST_F(SceneFileTest, ColourDeclaredInAnIncludedFileIsSeenAfterTheInclude) {
    write("colors.qlx", "declare \"sky\" color 0.1 0.2 0.3\n");
    write("main.qlx", "include \"colors.qlx\"\n" + kCamera +
                          "settings { background #sky output_name \"o\" output_type \"tga\" }\n");
    Outcome outcome = parse();
    ASSERT_FALSE(outcome.error.has_value());
    EXPECT_EQ(outcome.result, -1); // no surface block
    EXPECT_EQ(myBackGroundColor.red, 0.1);
    EXPECT_EQ(myBackGroundColor.blue, 0.3);
    // Declared colours belong to the parse.
    EXPECT_EQ(myColorList, nullptr);
}

TEST_F(SceneFileTest, ColourUsedBeforeItsDeclarationIsNotFound) {
    write("main.qlx", "settings { background #sky }\ndeclare \"sky\" color 1 1 1\n");
    Outcome outcome = parse();
    ASSERT_TRUE(outcome.error.has_value());
    EXPECT_EQ(outcome.error->message, " Color declaration not found");
}

TEST_F(SceneFileTest, FilesThatCannotBeOpened) {
    Outcome outcome = parse("absent.qlx");
    EXPECT_EQ(outcome.unopenedFile, "absent.qlx");
    EXPECT_EQ(outcome.out, "");

    write("main.qlx",
          kCamera + "declare \"sky\" color 1 1 1\ninclude \"nofile.qlx\"\n" + kSettings);
    outcome = parse();
    EXPECT_EQ(outcome.unopenedFile, "nofile.qlx");
    EXPECT_EQ(outcome.out, "\n Parsing main.qlx");
    EXPECT_EQ(myColorList, nullptr);
    EXPECT_EQ(surface, nullptr);
}

TEST_F(SceneFileTest, IncludeNeedsAString) {
    write("main.qlx", "\ninclude nofile.qlx");
    Outcome outcome = parse();
    ASSERT_TRUE(outcome.error.has_value());
    EXPECT_EQ(outcome.error->message, " string expected");
    EXPECT_EQ(outcome.error->line, 2);
}

TEST_F(SceneFileTest, IncludesNestSixtyFourLevelsDeep) {
    write("main.qlx", "include \"level1.qlx\"\n");
    for (int level = 1; level <= 65; level++) {
        write("level" + std::to_string(level) + ".qlx",
              level == 64 ? "declare \"deep\" color 1 1 1\n"
                          : "include \"level" + std::to_string(level + 1) + ".qlx\"\n");
    }
    Outcome outcome = parse();
    ASSERT_FALSE(outcome.error.has_value());
    EXPECT_EQ(outcome.result, -1);
    EXPECT_NE(outcome.out.find("\n Parsing level64.qlx Missing camera!"), std::string::npos);

    // One more level is refused at the include string, before the file is opened.
    write("level64.qlx", "\ninclude \"level65.qlx\"\n");
    resetReaderState();
    outcome = parse();
    ASSERT_TRUE(outcome.error.has_value());
    EXPECT_EQ(outcome.error->message, " include nesting too deep");
    EXPECT_EQ(outcome.error->line, 2);
    EXPECT_EQ(outcome.out.find("level65.qlx"), std::string::npos);
}

TEST_F(SceneFileTest, FileThatIncludesItselfStops) {
    write("main.qlx", "include \"main.qlx\"");
    Outcome outcome = parse();
    ASSERT_TRUE(outcome.error.has_value());
    EXPECT_EQ(outcome.error->message, " include nesting too deep");
    std::string oneFile = "\n Parsing main.qlx";
    size_t count = 0;
    for (size_t at = outcome.out.find(oneFile); at != std::string::npos;
         at = outcome.out.find(oneFile, at + 1)) {
        count++;
    }
    EXPECT_EQ(count, 65u);

    // The aborted parse leaves nothing behind: the next one starts at level 0 again.
    write("main.qlx", "include \"other.qlx\"");
    write("other.qlx", "include \"third.qlx\"");
    write("third.qlx", kCamera + kSettings);
    outcome = parse();
    ASSERT_FALSE(outcome.error.has_value());
    EXPECT_EQ(outcome.out,
              "\n Parsing main.qlx\n Parsing other.qlx\n Parsing third.qlx Missing surface!");
}

TEST_F(SceneFileTest, AbortedParseReleasesItsData) {
    write("main.qlx", "declare \"a\" color 1 1 1\ndeclare \"b\" color 1 1 1\nbogus");
    Outcome outcome = parse();
    ASSERT_TRUE(outcome.error.has_value());
    EXPECT_EQ(outcome.error->line, 3);
    EXPECT_EQ(myColorList, nullptr);
    EXPECT_EQ(surface, nullptr);
}

TEST(DefaultSurface, IsTheEmptySurfaceBlock) {
    SurfaceAttrib attrib = defaultSurface();
    EXPECT_EQ(attrib.color.red, 0);
    EXPECT_EQ(attrib.color.green, 0);
    EXPECT_EQ(attrib.color.blue, 0);
    EXPECT_EQ(attrib.ambient, 0);
    EXPECT_EQ(attrib.diffuse, 0);
    EXPECT_EQ(attrib.brilliance, 0);
    EXPECT_EQ(attrib.specular, 0);
    EXPECT_EQ(attrib.roughness, 0);
    EXPECT_EQ(attrib.reflection, 0);
    EXPECT_EQ(attrib.reflection_type, 0);
    EXPECT_EQ(attrib.reflection_samples, 10);
    EXPECT_EQ(attrib.reflection_radius, 1);
    EXPECT_EQ(attrib.refraction, 0);
    EXPECT_EQ(attrib.refraction_index, 1);
}

// ---------------------------------------------------------------- complete scenes

const std::string kStatistics = "\n\n Number of sphere(s):\t\t%s\n"
                                " Number of ring(s):\t\t0\n"
                                " Number of plane(s):\t\t0\n"
                                " Number of cone(s):\t\t0\n"
                                " Number of cylinder(s):\t\t0\n"
                                " Number of disc(s):\t\t0\n"
                                " Number of polygon(s):\t\t0\n"
                                " Number of triangle(s):\t\t0\n"
                                " Number of patch(es):\t\t0\n"
                                " Number of surface(s):\t\t%s\n"
                                " Number of light(s):\t\t%s\n";

std::string statistics(const char* spheres, const char* surfaces, const char* lights) {
    char text[512];
    std::snprintf(text, sizeof text, kStatistics.c_str(), spheres, surfaces, lights);
    return text;
}

class CompleteSceneTest : public SceneFileTest {
  protected:
    void TearDown() override {
        freeList(&myObjectList);
        freeList(&myLightList);
        SceneFileTest::TearDown();
    }
};

TEST_F(CompleteSceneTest, SmallestSceneWarnsAboutLightsBeforeTheStatistics) {
    write("main.qlx", "declare \"sky\" color 0 0 1\n" + kCamera + kSettings + "surface { }\n");
    Outcome outcome = parse();
    ASSERT_FALSE(outcome.error.has_value());
    EXPECT_EQ(outcome.result, 0);
    EXPECT_EQ(outcome.out, "\n Parsing main.qlx Warning: scene doesn't contain any light." +
                               statistics("0", "1", "0"));
    EXPECT_EQ(myColorList, nullptr);
    EXPECT_EQ(surface, nullptr);
}

TEST_F(CompleteSceneTest, SceneWithALightHasNoWarning) {
    write("light.qlx", "light { position <0 0 10> color 1 1 1 }\n");
    write("main.qlx", kCamera + kSettings + "include \"light.qlx\"\nsurface { }\n");
    Outcome outcome = parse();
    ASSERT_FALSE(outcome.error.has_value());
    EXPECT_EQ(outcome.result, 0);
    EXPECT_EQ(outcome.out, "\n Parsing main.qlx\n Parsing light.qlx" + statistics("0", "1", "1"));
    EXPECT_EQ(l, 1);
}

TEST_F(CompleteSceneTest, PrimitivesWithoutAnySurfaceBlockAreStillRefused) {
    write("main.qlx", kCamera + kSettings + "sphere { center <0 0 0> radius 1 }\n");
    Outcome outcome = parse();
    EXPECT_EQ(outcome.result, -1);
    EXPECT_EQ(outcome.out, "\n Parsing main.qlx Missing surface!");
    EXPECT_EQ(iNumSphere, 1);
}

TEST_F(CompleteSceneTest, PrimitiveBeforeTheFirstSurfaceGetsTheEmptySurface) {
    write("main.qlx", kCamera + kSettings + "sphere { center <0 0 0> radius 1 }\n" +
                          "surface { color 1 1 1 ambient 0.5 reflection_samples 3 }\n" +
                          "sphere { center <0 3 0> radius 1 }\n");
    Outcome outcome = parse();
    ASSERT_FALSE(outcome.error.has_value());
    ASSERT_EQ(outcome.result, 0);
    // Newest first: the second sphere, then the first.
    ASSERT_NE(myObjectList, nullptr);
    ASSERT_NE(myObjectList->next, nullptr);
    const SurfaceAttrib& after = myObjectList->surfaceAttrib;
    EXPECT_EQ(after.color.red, 1);
    EXPECT_EQ(after.ambient, 0.5);
    EXPECT_EQ(after.reflection_samples, 3);
    const SurfaceAttrib& before = myObjectList->next->surfaceAttrib;
    const SurfaceAttrib empty = defaultSurface();
    EXPECT_EQ(before.color.red, empty.color.red);
    EXPECT_EQ(before.ambient, empty.ambient);
    EXPECT_EQ(before.reflection_samples, empty.reflection_samples);
    EXPECT_EQ(before.reflection_radius, empty.reflection_radius);
    EXPECT_EQ(before.refraction_index, empty.refraction_index);
}

} // namespace
