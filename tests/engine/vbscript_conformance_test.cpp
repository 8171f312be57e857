// SPDX-License-Identifier: GPL-3.0-or-later
// Expression mode against real VBScript: every row of tests/data/vbscript-conformance.tsv
// (expression, kind, expected value, check expression) goes through evaluateExpression.
#include "engine/expression.h"

#include <gtest/gtest.h>

#include <array>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace numbelle {
namespace {

constexpr const char *kTablePath = NUMBELLE_SOURCE_DIR "/tests/data/vbscript-conformance.tsv";

struct Row {
    std::string id;
    std::string kind; // num, true, approx, error, noerr
    std::string expr;
    std::string expected;
    std::string check;
};

void PrintTo(const Row &row, std::ostream *os) { *os << "row " << row.id << ": " << row.expr; }

// Rows where the evaluator knowingly gives another answer than VBScript, with the reason.
// A row listed here is skipped; once it agrees, the test asks for it to be taken off.
struct KnownDifference {
    std::string_view id;
    std::string_view reason;
};

// None at present.
constexpr std::array<KnownDifference, 0> kKnownDifferences{};

std::optional<std::string_view> knownDifference(const std::string &id)
{
    for (const KnownDifference &difference : kKnownDifferences) {
        if (difference.id == id)
            return difference.reason;
    }
    return std::nullopt;
}

std::vector<std::string> splitTabs(const std::string &line)
{
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (;;) {
        const std::size_t tab = line.find('\t', start);
        fields.push_back(line.substr(start, tab - start));
        if (tab == std::string::npos)
            return fields;
        start = tab + 1;
    }
}

std::vector<Row> loadRows()
{
    std::vector<Row> rows;
    std::ifstream in(kTablePath);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty() || line.front() == '#' || line.rfind("id\t", 0) == 0)
            continue;
        const std::vector<std::string> fields = splitTabs(line);
        if (fields.size() < 5)
            continue; // counted as missing by TableIsComplete
        rows.push_back(Row{fields[0], fields[1], fields[2], fields[3], fields[4]});
    }
    return rows;
}

const std::vector<Row> &allRows()
{
    static const std::vector<Row> rows = loadRows();
    return rows;
}

std::u16string widen(std::string_view text)
{
    return std::u16string(text.begin(), text.end()); // the table is ASCII
}

std::optional<double> parseNumber(std::string_view text)
{
    double value = 0.0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc{} || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

std::string describe(const std::optional<double> &value)
{
    if (!value)
        return "an error";
    char buffer[32];
    const auto written = std::to_chars(buffer, buffer + sizeof buffer, *value);
    return std::string(buffer, written.ptr);
}

// The table prints a Single result with the text of its single-precision value ("1e-06"
// for CSng(0.000001)), so such a result matches when it is that float.
bool matchesExactly(double value, double expected)
{
    if (value == expected)
        return true;
    const auto single = static_cast<float>(expected);
    return std::isfinite(single) && static_cast<double>(static_cast<float>(value)) == value &&
           value == static_cast<double>(single);
}

// Empty when the evaluator agrees with the row; what went wrong otherwise.
std::string disagreement(const Row &row)
{
    const auto value = evaluateExpression(widen(row.expr));
    if (row.kind == "error")
        return value ? row.expr + " gives " + describe(value) + ", VBScript fails" : "";
    if (row.kind == "noerr")
        return value ? "" : row.expr + " fails, VBScript gives a value";
    if (!value)
        return row.expr + " fails, VBScript gives " + row.expected;
    const auto expected = parseNumber(row.expected);
    if (!expected)
        return "unreadable expected value " + row.expected;
    if (row.kind == "true")
        return *value == -1.0 ? "" : row.expr + " gives " + describe(value) + ", VBScript gives True (-1)";
    if (row.kind == "approx") {
        return std::fabs(*value - *expected) < 0.001
                   ? ""
                   : row.expr + " gives " + describe(value) + ", VBScript gives " + row.expected;
    }
    if (row.kind != "num")
        return "unknown kind " + row.kind;
    if (!matchesExactly(*value, *expected))
        return row.expr + " gives " + describe(value) + ", VBScript gives " + row.expected;
    const auto check = evaluateExpression(widen(row.check));
    if (check != -1.0)
        return row.check + " gives " + describe(check) + ", VBScript gives True (-1)";
    return "";
}

bool usesRnd(const Row &row)
{
    for (const std::string *text : {&row.expr, &row.check}) {
        std::string lower;
        for (const char c : *text)
            lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (lower.find("rnd") != std::string::npos)
            return true;
    }
    return false;
}

// Checks the row in the child process of a death test and exits 0 when the outcome is the
// one wanted (agreement, or for a known difference still disagreeing).
[[noreturn]] void checkAndExit(const Row &row, bool known)
{
    const std::string why = disagreement(row);
    std::fputs((why + "\n").c_str(), stderr);
    std::_Exit(why.empty() == !known ? 0 : 1);
}

TEST(VbscriptConformance, TableIsComplete)
{
    // 359 rows in the table; a short count means the file is missing or damaged.
    EXPECT_EQ(allRows().size(), 359u) << kTablePath;
}

class VbscriptRow : public testing::TestWithParam<Row> {};

TEST_P(VbscriptRow, AgreesWithVbscript)
{
    const Row &row = GetParam();
    const auto reason = knownDifference(row.id);
    if (usesRnd(row)) {
        // These rows assume a generator not used before; a fresh process guarantees it
        // whatever other tests of this program have drawn.
        GTEST_FLAG_SET(death_test_style, "threadsafe");
        EXPECT_EXIT(checkAndExit(row, reason.has_value()), testing::ExitedWithCode(0), "")
            << (reason ? "known difference now agrees, take it off the list" : "disagrees with VBScript") << ": "
            << row.expr;
        return;
    }
    const std::string why = disagreement(row);
    if (reason) {
        EXPECT_FALSE(why.empty()) << "row " << row.id << " now agrees with VBScript; take it off the known differences";
        GTEST_SKIP() << "known difference: " << *reason;
    }
    EXPECT_EQ(why, "") << "row " << row.id;
}

std::string rowName(const testing::TestParamInfo<Row> &info) { return "Row" + info.param.id; }

INSTANTIATE_TEST_SUITE_P(Table, VbscriptRow, testing::ValuesIn(allRows()), rowName);

} // namespace
} // namespace numbelle
