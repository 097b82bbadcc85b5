// The reader's scanner against the C library it stands in for: the same
// random texts are read with fscanf from a memory stream and with the
// scanner, and must give the same results, values and consumed bytes.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>

#include "scanner.h"

namespace {

// Bytes a number reader has rules for, and the blanks around numbers.
const char number_alphabet[] = "0123456789+-.eExXpPnNaAiIfFtTyY/ \n\t";
constexpr int random_cases = 60000;
constexpr size_t longest_text = 14;

std::string random_text(std::mt19937& rng, const char* alphabet, size_t longest)
{
    std::uniform_int_distribution<size_t> length(1, longest);
    std::uniform_int_distribution<size_t> pick(0, std::strlen(alphabet) - 1);
    std::string text(length(rng), ' ');
    for (char& c : text) c = alphabet[pick(rng)];
    return text;
}

// What fscanf did: its result and how many bytes it consumed.
struct CResult {
    int result;
    long consumed;
};

enum class Format { f, d, d_slash_d, d_slash_d_slash_d, d_slash_slash_d, s };

CResult c_scan(const std::string& text, Format format, void* a, void* b, void* c)
{
    std::FILE* stream = fmemopen(const_cast<char*>(text.data()), text.size(), "r");
    int result = 0;
    switch (format) {
        case Format::f:
            result = std::fscanf(stream, "%f", static_cast<float*>(a));
            break;
        case Format::d:
            result = std::fscanf(stream, "%d", static_cast<int*>(a));
            break;
        case Format::d_slash_d:
            result = std::fscanf(stream, "%d/%d", static_cast<int*>(a), static_cast<int*>(b));
            break;
        case Format::d_slash_d_slash_d:
            result = std::fscanf(stream, "%d/%d/%d", static_cast<int*>(a), static_cast<int*>(b),
                                 static_cast<int*>(c));
            break;
        case Format::d_slash_slash_d:
            result = std::fscanf(stream, "%d//%d", static_cast<int*>(a), static_cast<int*>(b));
            break;
        case Format::s:
            result = std::fscanf(stream, "%127s", static_cast<char*>(a));
            break;
    }
    long consumed = std::ftell(stream);
    std::fclose(stream);
    return CResult{result, consumed};
}

Scanner scanner_over(const std::string& text)
{
    return Scanner{text.data(), text.data() + text.size()};
}

long consumed_by(const Scanner& s, const std::string& text)
{
    return static_cast<long>(s.pos - text.data());
}

// Beyond int the C scanner's value is undefined (glibc wraps it); ours saturates.
bool same_index(int64_t mine, int theirs)
{
    return mine > INT32_MAX || mine < INT32_MIN || mine == theirs;
}

bool same_bits(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }

void expect_float_like_fscanf(const std::string& text)
{
    float expected = -1.0f, got = -1.0f;
    CResult c = c_scan(text, Format::f, &expected, nullptr, nullptr);
    Scanner s = scanner_over(text);
    int result = glm_scan_float(s, &got);
    ASSERT_EQ(result, c.result) << '"' << text << '"';
    ASSERT_EQ(consumed_by(s, text), c.consumed) << '"' << text << '"';
    ASSERT_TRUE(same_bits(got, expected)) << '"' << text << "\" " << got << " vs " << expected;
}

TEST(ReadScanner, FloatConversionsMatchFscanf)
{
    std::mt19937 rng(1);
    for (int i = 0; i < random_cases; ++i) {
        expect_float_like_fscanf(random_text(rng, number_alphabet, longest_text));
        if (HasFatalFailure()) return;
    }
}

TEST(ReadScanner, FailedFloatConversionsConsumeWhatFscanfConsumes)
{
    const std::string texts[] = {"nan",
                                 "-NaN x",
                                 "nax",
                                 "na",
                                 "inf",
                                 "-Infinity",
                                 "infinit ",
                                 "infx",
                                 "infix",
                                 "in",
                                 "0x",
                                 "0x1p3",
                                 "0x.p",
                                 "0xg",
                                 "-0x1.8p+3z",
                                 "1e",
                                 "1e+",
                                 "1e-x",
                                 "-",
                                 "+ 1",
                                 ".",
                                 "-.5",
                                 ".e1",
                                 "1.5.5",
                                 "1e5e5",
                                 "007",
                                 "0.",
                                 "  \n 12",
                                 "e5",
                                 "1" + std::string(70, '0') + "e-70",
                                 "0." + std::string(60, '0') + "1e61"};
    for (const std::string& text : texts) {
        expect_float_like_fscanf(text);
        if (HasFatalFailure()) return;
    }
}

TEST(ReadScanner, CornerFormsMatchFscanf)
{
    const Format forms[] = {Format::d, Format::d_slash_d, Format::d_slash_d_slash_d,
                            Format::d_slash_slash_d};
    const CornerForm mine[] = {CornerForm::vertex, CornerForm::vertex_texcoord,
                               CornerForm::vertex_texcoord_normal, CornerForm::vertex_normal};
    std::mt19937 rng(2);
    for (int i = 0; i < random_cases; ++i) {
        std::string text = random_text(rng, "0123456789+-/ \nx", longest_text);
        size_t k = static_cast<size_t>(i) % 4;
        int v = 0, t = 0, n = 0;
        int* second = forms[k] == Format::d_slash_slash_d ? &n : &t;
        CResult c = c_scan(text, forms[k], &v, second, &n);
        Scanner s = scanner_over(text);
        CornerIndices corner;
        int result = glm_scan_corner(s, mine[k], &corner);
        ASSERT_EQ(result, c.result) << '"' << text << "\" form " << k;
        ASSERT_EQ(consumed_by(s, text), c.consumed) << '"' << text << "\" form " << k;
        ASSERT_TRUE(same_index(corner.vertex, v)) << '"' << text << '"';
        ASSERT_TRUE(same_index(corner.texcoord, t)) << '"' << text << '"';
        ASSERT_TRUE(same_index(corner.normal, n)) << '"' << text << '"';
    }
}

TEST(ReadScanner, TokensMatchFscanf)
{
    std::mt19937 rng(3);
    for (int i = 0; i < random_cases / 4; ++i) {
        std::string text = random_text(rng, "ab# \n\t\r\v\f", longest_text);
        char expected[name_buffer_size] = "";
        CResult c = c_scan(text, Format::s, expected, nullptr, nullptr);
        Scanner s = scanner_over(text);
        std::string_view token;
        bool read = glm_read_token(s, &token);
        ASSERT_EQ(read, c.result == 1) << '"' << text << '"';
        ASSERT_EQ(consumed_by(s, text), c.consumed) << '"' << text << '"';
        if (read) {
            ASSERT_EQ(std::string(token), expected);
        }
    }
}

// Decimal numbers of every length and exponent that scanned meshes and
// hand-written files use, plus a few the fast path must hand over.
std::string random_decimal(std::mt19937& rng)
{
    std::uniform_int_distribution<int> digit(0, 9), digits(1, 24), exponent(-50, 50), coin(0, 3);
    std::string text = coin(rng) == 0 ? "-" : "";
    int count = digits(rng);
    int point = std::uniform_int_distribution<int>(0, count)(rng);
    for (int i = 0; i < count; ++i) {
        if (i == point) text += '.';
        text += static_cast<char>('0' + digit(rng));
    }
    if (coin(rng) == 0) text += "e" + std::to_string(exponent(rng));
    return text;
}

TEST(ReadScanner, FloatsEqualStrtofOnRandomDecimals)
{
    std::mt19937 rng(4);
    for (int i = 0; i < 20 * random_cases; ++i) {
        std::string text = random_decimal(rng);
        Scanner s = scanner_over(text);
        float got = 0.0f;
        ASSERT_EQ(glm_scan_float(s, &got), 1) << text;
        float expected = std::strtof(text.c_str(), nullptr);
        ASSERT_TRUE(same_bits(got, expected)) << text << ": " << got << " vs " << expected;
        ASSERT_EQ(s.pos, s.end) << text;
    }
}

TEST(ReadScanner, FloatsWhoseDoubleIsAFloatTieStillEqualStrtof)
{
    // Each of these short decimals rounds to a double lying exactly halfway
    // between two floats although the decimal itself does not; rounding that
    // double to float would pick the wrong neighbour for some of them.
    const char* near_ties[] = {"4115237788937520e-20",
                               "7.690202951431274",
                               "4951881180659257e-22",
                               "7010839646682143e-18",
                               "5102093517780304e-16",
                               "55.43155097961426",
                               "16777217",
                               "1.000000059604644775390625"};
    for (const char* text : near_ties) {
        std::string bytes = text;
        Scanner s = scanner_over(bytes);
        float got = 0.0f;
        ASSERT_EQ(glm_scan_float(s, &got), 1);
        EXPECT_TRUE(same_bits(got, std::strtof(text, nullptr))) << text;
    }
}

TEST(ReadScanner, LineSkipTakesAtMost127Bytes)
{
    std::string text = std::string(200, 'x') + "\nnext";
    Scanner s = scanner_over(text);
    glm_skip_line(s);
    EXPECT_EQ(consumed_by(s, text), 127);
    glm_skip_line(s);
    EXPECT_EQ(std::string(s.pos, s.end), "next");
    glm_skip_line(s);
    EXPECT_EQ(s.pos, s.end);
}

TEST(ReadScanner, NameRuleTakesTheSecondWordOrTheFirst)
{
    struct Case {
        const char* rest;
        const char* name;
    } cases[] = {{" red\n", "red"}, {" shiny red\n", "red"}, {" a b c\n", "b"}, {"\n", ""},
                 {"", ""},          {"  \t\n", ""}};
    for (const Case& c : cases) {
        std::string text = c.rest;
        Scanner s = scanner_over(text);
        char name[name_buffer_size];
        glm_take_name(s, name);
        EXPECT_STREQ(name, c.name) << '"' << c.rest << '"';
    }
}

TEST(ReadScanner, GroupNameKeepsLeadingBlanksAndDropsTheLineEnd)
{
    struct Case {
        const char* rest;
        const char* name;
    } cases[] = {{" hull\n", " hull"},
                 {"  two words\n", "  two words"},
                 {"\n", ""},
                 {" end", " en"},
                 {"", ""}};
    for (const Case& c : cases) {
        std::string text = c.rest;
        Scanner s = scanner_over(text);
        char name[name_buffer_size];
        glm_take_group_name(s, name);
        EXPECT_STREQ(name, c.name) << '"' << c.rest << '"';
    }
}

}  // namespace

TEST(ReadScanner, FloatsFollowedByMoreTextEqualStrtof)
{
    // With text after the number the fraction is read eight bytes at a time.
    std::mt19937 rng(5);
    for (int i = 0; i < 10 * random_cases; ++i) {
        std::string number = random_decimal(rng);
        std::string text = number + " 1.25\n";
        Scanner s = scanner_over(text);
        float got = 0.0f;
        ASSERT_EQ(glm_scan_float(s, &got), 1) << text;
        ASSERT_TRUE(same_bits(got, std::strtof(number.c_str(), nullptr))) << text;
        ASSERT_EQ(consumed_by(s, text), static_cast<long>(number.size())) << text;
    }
}

// The shortcut corner reading against the general one, on texts that hold
// mostly well-formed corners and sometimes not.
template <CornerForm F>
void expect_fast_corner_like_general(const std::string& text)
{
    Scanner fast = scanner_over(text), general = scanner_over(text);
    CornerIndices a, b;
    a.vertex = b.vertex = a.texcoord = b.texcoord = a.normal = b.normal = 7;
    int fast_result = glm_scan_corner_fast<F>(fast, &a);
    int general_result = glm_scan_corner_as<F, true>(general, &b);
    ASSERT_EQ(fast_result, general_result) << '"' << text << '"';
    ASSERT_EQ(fast.pos, general.pos) << '"' << text << '"';
    ASSERT_EQ(a.vertex, b.vertex) << '"' << text << '"';
    ASSERT_EQ(a.texcoord, b.texcoord) << '"' << text << '"';
    ASSERT_EQ(a.normal, b.normal) << '"' << text << '"';
}

TEST(ReadScanner, PlainCornerShortcutsReadLikeTheGeneralReading)
{
    std::mt19937 rng(6);
    const char alphabet[] = "0123456789012345678901234567890123456789//// \n-+xf";
    for (int i = 0; i < random_cases; ++i) {
        std::string text = random_text(rng, alphabet, 2 * longest_text);
        expect_fast_corner_like_general<CornerForm::vertex>(text);
        expect_fast_corner_like_general<CornerForm::vertex_texcoord>(text);
        expect_fast_corner_like_general<CornerForm::vertex_texcoord_normal>(text);
        expect_fast_corner_like_general<CornerForm::vertex_normal>(text);
        if (HasFatalFailure()) return;

        // The first corner: the form and values of the token reading.
        Scanner fast = scanner_over(text);
        CornerForm form = CornerForm::vertex;
        CornerIndices got;
        if (!glm_plain_first_corner(fast, &form, &got)) continue;
        Scanner general = scanner_over(text);
        std::string_view token;
        ASSERT_TRUE(glm_read_token(general, &token)) << '"' << text << '"';
        ASSERT_EQ(fast.pos, general.pos) << '"' << text << '"';
        ASSERT_EQ(form, glm_choose_form(token)) << '"' << text << '"';
        Scanner in_token = glm_token_scanner(token);
        CornerIndices expected;
        glm_scan_corner(in_token, form, &expected);
        ASSERT_EQ(got.vertex, expected.vertex) << '"' << text << '"';
        ASSERT_EQ(got.texcoord, expected.texcoord) << '"' << text << '"';
        ASSERT_EQ(got.normal, expected.normal) << '"' << text << '"';
    }
}

TEST(ReadScanner, PlainCornerShortcutsTakeTheUsualCorners)
{
    // The shortcut must actually apply to the corners files are made of.
    const std::string text = " 12/345/6789 ";
    Scanner s = scanner_over(text);
    CornerForm form = CornerForm::vertex;
    CornerIndices corner;
    ASSERT_TRUE(glm_plain_first_corner(s, &form, &corner));
    EXPECT_EQ(form, CornerForm::vertex_texcoord_normal);
    EXPECT_EQ(corner.vertex, 12);
    EXPECT_EQ(corner.texcoord, 345);
    EXPECT_EQ(corner.normal, 6789);
    const char* after = text.data();
    EXPECT_TRUE(glm_plain_corner<CornerForm::vertex_texcoord_normal>(
        ++after, text.data() + text.size(), &corner));
    const char* long_run = "1234567890/1/1";
    EXPECT_FALSE(
        glm_plain_corner<CornerForm::vertex_texcoord_normal>(long_run, long_run + 14, &corner));
}
