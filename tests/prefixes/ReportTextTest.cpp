#include "prefixes/ReportText.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

// A message for each kind of failure, in the order of the steps: the
// subkeys passed over named, ten and then a count, and the rows not written
// over them; no deletion named. A line for each failure, naming its subkey
// and, where the registry refused, the system's reason.
TEST(ReportText, AMessageForEachKindAndALineForEachFailure)
{
    using Failure = CPrefixStore::Failure;
    CPrefixStore::Report report;
    report.failures.push_back({Failure::Delete, "GONE", ERROR_ACCESS_DENIED});
    for (int i = 1; i <= 11; ++i)
        report.failures.push_back({Failure::Read, ("N" + std::to_string(100 + i).substr(1)).c_str(), ERROR_INVALID_DATA});
    report.failures.push_back({Failure::Keep, "N01", ERROR_ALREADY_EXISTS});
    const std::vector<std::string> messages = CReportText::Messages(report);
    ASSERT_EQ(messages.size(), 3u);
    EXPECT_NE(messages[0].find("N10 and 1 "), std::string::npos) << messages[0];
    EXPECT_EQ(messages[0].find("N11"), std::string::npos);
    EXPECT_NE(messages[1].find("N01"), std::string::npos);
    EXPECT_EQ(messages[1].find("N02"), std::string::npos);
    EXPECT_EQ(messages[2].find("GONE"), std::string::npos);
    for (const Failure& failure : report.failures) {
        const std::string line = CReportText::Line(failure);
        EXPECT_NE(line.find(failure.subkey), std::string::npos) << line;
        EXPECT_EQ(line.find('\n'), std::string::npos) << line;
        if (failure.step != Failure::Keep) {
            EXPECT_NE(line.find(SystemErrorText(failure.error) + "."), std::string::npos) << line;
        }
    }
}
