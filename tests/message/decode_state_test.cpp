// decode_state_test.cpp - scratch-buffer reuse, progress reports and stop
// requests during long decodings, and the speed-adapted decode limit.
#include "message/decoding.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "message/transfer_encoders.h"

namespace tessaly {
namespace {

TEST(ScratchBuffer, ReusedWhileItHoldsOneMoreByte) {
    ScratchBuffer buffer;
    char* first = buffer.request(100);
    EXPECT_EQ(buffer.capacity(), 2048u);                  // never below 2048
    EXPECT_EQ(buffer.request(2047), first);               // n + 1 fits: kept
    buffer.request(2048);                                 // n + 1 does not
    EXPECT_EQ(buffer.capacity(), 4096u);                  // 2n
    char* kept = buffer.grow(3000, 0);
    EXPECT_EQ(buffer.capacity(), 4096u);
    kept[0] = 'k';
    kept[1] = 'p';
    char* grown = buffer.grow(5000, 2);
    EXPECT_EQ(buffer.capacity(), 10000u);
    EXPECT_EQ(std::string(grown, 2), "kp");               // grow keeps the head
    EXPECT_TRUE(buffer.overlaps(grown + 10, grown + 20));
    std::string elsewhere = "x";
    EXPECT_FALSE(buffer.overlaps(elsewhere.data(), elsewhere.data() + 1));
    buffer.release();
    EXPECT_EQ(buffer.capacity(), 0u);
}

struct Recorder {
    std::vector<double> fractions;
    int stopAfter = -1;  // answer false on this call (counted from 1)
    DecodeProgress callback() {
        return [this](double fraction) {
            fractions.push_back(fraction);
            return stopAfter < 0 || int(fractions.size()) < stopAfter;
        };
    }
};

using Decoder = bool (*)(DecodeContext&, const char*&, const char*&);

bool binhexData(DecodeContext& c, const char*& s, const char*& e) {
    return decodeBinhex(c, s, e, false);
}

struct ProgressCase {
    const char* name;
    Decoder decoder;
    std::string input;
    std::string expected;
};

std::vector<ProgressCase> progressCases() {
    std::mt19937 random(3);
    std::string bytes(300000, '\0');
    for (char& c : bytes) c = char(random() & 0xff);
    std::string lines;
    for (int i = 0; i < 20000; ++i) lines += "line of text\n";
    std::string crlf;
    for (int i = 0; i < 20000; ++i) crlf += "line of text\r\n";
    return {
        {"base64", decodeBase64, test::wrapLines(test::base64Encode(bytes), 76, "\r\n"), bytes},
        {"binhex", binhexData, test::binhexEncode("f", bytes), bytes},
        {"line ends", normaliseLineEnds, lines, crlf},
    };
}

TEST(DecodeProgress, ReportsInStepsOfTheIntervalAndEndsAtOne) {
    for (const ProgressCase& row : progressCases()) {
        // Limits giving a step of 1024 bytes (the floor), 5000 bytes, and one
        // report for the whole input (limit above its length).
        for (uint32_t limit : {1u, 100000u, 50000000u}) {
            DecodeContext context;
            context.setDecodeLimit(limit);
            Recorder recorder;
            context.beginDecoding(recorder.callback(), 0);
            size_t length = row.input.size();
            size_t interval = context.progressInterval(length);
            auto got = test::runDecoder(
                [&](auto& s, auto& e) { return row.decoder(context, s, e); }, row.input);
            EXPECT_EQ(got, row.expected) << row.name << " " << limit;
            EXPECT_EQ(context.lastDecodeLength(), length);
            ASSERT_FALSE(recorder.fractions.empty()) << row.name;
            EXPECT_DOUBLE_EQ(recorder.fractions.back(), 1.0) << row.name;
            for (size_t i = 1; i < recorder.fractions.size(); ++i)
                EXPECT_GT(recorder.fractions[i], recorder.fractions[i - 1]) << row.name;
            size_t expectedReports = (length + interval - 1) / interval;
            EXPECT_NEAR(double(recorder.fractions.size()), double(expectedReports),
                        expectedReports / 50.0 + 2)
                << row.name << " " << limit;
        }
    }
}

TEST(DecodeProgress, IntervalRule) {
    DecodeContext context;
    context.setDecodeLimit(100000);
    EXPECT_EQ(context.progressInterval(50000), 5000u);    // no callback: limit / 20
    context.beginDecoding([](double) { return true; }, 0);
    EXPECT_EQ(context.progressInterval(50000), 50000u);   // short input: the limit, cut to L
    EXPECT_EQ(context.progressInterval(500000), 5000u);
    context.setDecodeLimit(10000);
    EXPECT_EQ(context.progressInterval(500000), 1024u);   // at least 1024
    EXPECT_EQ(context.progressInterval(700), 700u);
    context.setDecodeLimit(0);
    EXPECT_EQ(context.decodeLimit(), 102400u);            // 0 means the default
}

TEST(DecodeProgress, StopRequestEndsTheDecodingWithoutAReason) {
    for (const ProgressCase& row : progressCases()) {
        DecodeContext context;
        context.setDecodeLimit(20480);
        Recorder recorder;
        recorder.stopAfter = 3;
        context.beginDecoding(recorder.callback(), 0);
        auto got = test::runDecoder([&](auto& s, auto& e) { return row.decoder(context, s, e); },
                                    row.input);
        EXPECT_EQ(got, std::nullopt) << row.name;
        EXPECT_EQ(recorder.fractions.size(), 3u) << row.name;
        EXPECT_TRUE(context.stopped()) << row.name;
        EXPECT_EQ(context.decodeError(), "") << row.name;
        context.endDecoding(10);
    }
}

TEST(DecodeProgress, NoCallbackNoReportsSameBytes) {
    for (const ProgressCase& row : progressCases()) {
        DecodeContext context;
        context.setDecodeLimit(1);
        auto got = test::runDecoder([&](auto& s, auto& e) { return row.decoder(context, s, e); },
                                    row.input);
        EXPECT_EQ(got, row.expected) << row.name;
        EXPECT_FALSE(context.stopped());
    }
}

TEST(DecodeProgress, CallbackEndingThePassIsSafe) {
    DecodeContext context;
    context.setDecodeLimit(1);
    int calls = 0;
    context.beginDecoding(
        [&](double) {
            ++calls;
            context.endDecoding(0);  // removes the installed callback mid-decoding
            return true;
        },
        0);
    std::string input(10000, '\n');
    auto got = test::runDecoder(
        [&](auto& s, auto& e) { return normaliseLineEnds(context, s, e); }, input);
    ASSERT_TRUE(got);
    EXPECT_EQ(got->size(), 20000u);
    EXPECT_GT(calls, 1);
}

TEST(DecodeSpeed, LimitFollowsMeasuredSpeed) {
    DecodeContext context;
    context.setDecodeLimit(102400);
    auto pass = [&](size_t length, uint32_t startTicks, uint32_t endTicks) {
        context.beginDecoding(nullptr, startTicks);
        context.setLastDecodeLength(length);
        context.endDecoding(endTicks);
    };
    pass(25599, 0, 10);  // below limit / 4: nothing measured
    EXPECT_EQ(context.decodeLimit(), 102400u);
    EXPECT_EQ(context.previousSpeed(), 0.0);

    pass(1000000, 100, 600);  // 2 MB/s, first measurement taken as it is
    EXPECT_EQ(context.decodeLimit(), 2000000u);
    EXPECT_EQ(context.previousSpeed(), 2000000.0);

    pass(4000000, 0xfffffff0u, 0x000003d8u);  // 1000 ms across the tick wrap: 4 MB/s
    EXPECT_EQ(context.decodeLimit(), 3000000u);  // averaged with the previous speed
    EXPECT_EQ(context.previousSpeed(), 4000000.0);

    pass(1000000, 5, 5);  // zero duration counts as a ratio of 1: 1000 bytes/s
    EXPECT_EQ(context.decodeLimit(), 2000500u);
    EXPECT_FALSE(static_cast<bool>(context.callback()));
}

TEST(DecodeSpeed, APassAtTheClockStartsWithoutAReason) {
    DecodeContext context;
    context.setDecodeLimit(123456);
    context.setDecodeError("x");
    context.beginDecoding([](double) { return true; });
    EXPECT_EQ(context.decodeError(), "");
    context.endDecoding();
    EXPECT_EQ(context.decodeLimit(), 123456u);  // nothing decoded, nothing measured
    EXPECT_FALSE(static_cast<bool>(context.callback()));
}

}  // namespace
}  // namespace tessaly
