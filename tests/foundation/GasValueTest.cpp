// Gas readings, status codes and their display texts.
#include <gtest/gtest.h>

#include "modGasCommon.h"
#include "modGlobals.h"

#include <random>

using namespace qv;

TEST(GasValues, ParsesReadingsAndStatusWords) {
    EXPECT_FLOAT_EQ(ParseGasValue(" 12.5 "), 12.5f);
    EXPECT_EQ(ParseGasValue("over"), GasOver);
    EXPECT_EQ(ParseGasValue("FAIL(BATT.)"), GasFailSensor);
    EXPECT_EQ(ParseGasValue("ALARM"), GasNoData);  // only "ALR" is the alarm word
    EXPECT_EQ(ParseGasValue(" ALR"), GasAlarm);
    EXPECT_EQ(ParseGasValue("NOR"), GasNormal);
    EXPECT_EQ(ParseGasValue(""), GasNoData);
    EXPECT_EQ(ParseGasValue("*****"), GasNoData);
    EXPECT_EQ(ParseGasValue("99999999999999999999999999999999999999999"), GasNoData);
}

TEST(GasValues, StatusDigitsAndDecimals) {
    EXPECT_EQ(StatusDigitToCode("07"), GasFailCal);
    EXPECT_EQ(StatusDigitToCode("00"), GasNormal);
    EXPECT_EQ(StatusDigitToCode("11"), GasFailCircuit);
    EXPECT_EQ(StatusDigitToCode("12"), GasNoData);
    EXPECT_EQ(StatusDigitToCode(""), 0);
    EXPECT_EQ(StatusDigitToCode("A"), 0);
    EXPECT_EQ(StatusDigitToCode("99999999"), GasNoData);
    EXPECT_EQ(CountDecimals("100"), 0);
    EXPECT_EQ(CountDecimals("1.0  "), 3);
    EXPECT_EQ(CountDecimals("0.05"), 2);
}

TEST(GasValues, FormatsValuesInFiveColumns) {
    EXPECT_EQ(FormatGasValue(5, 0, false), "    5");
    // A number longer than five characters is shown whole, never as its last five.
    EXPECT_EQ(FormatGasValue(1234.5f, 1, false), "1234.5");
    EXPECT_EQ(FormatGasValue(100, 2, false), "100.00");
    EXPECT_EQ(FormatGasValue(12345.6f, 1, false), "12345.6");
    EXPECT_EQ(FormatGasValue(-1234.5f, 1, false), "-1234.5");
    EXPECT_EQ(FormatGasValue(12345, 0, false), "12345");
    EXPECT_EQ(FormatGasValue(-7, 1, true), "OVER");
    EXPECT_EQ(FormatGasValue(-1, 2, false), "-----");
    EXPECT_EQ(FormatGasValue(-2.5f, 1, false), " -2.5");
    EXPECT_EQ(FormatGasValue(-10, 0, false), "FAIL(Sen.)");
    EXPECT_EQ(FormatGasValue(20.95f, 1, false), " 21.0");
    ConvFactor = 0.05f;
    EXPECT_EQ(FormatGasValue(100, 2, true), " 5.00");
    ConvFactor = 20;
    EXPECT_EQ(FormatGasValue(100, 1, true), "2000.0");
    ConvFactor = 3e38f;
    EXPECT_EQ(FormatGasValue(100, 0, true), "*****");
    ConvFactor = 0;
    EXPECT_EQ(FormatValue5(-1, 1), "*****");
    EXPECT_EQ(FormatValue5(-0.5f, 1), "*****");
    EXPECT_EQ(FormatValue5(20, 1), " 20.0");
    EXPECT_EQ(FormatValue5(0.05f, 2), " 0.05");
}

TEST(GasValues, WordsPatternsAndCaptions) {
    EXPECT_EQ(GetStatusWord(-1), "");
    EXPECT_EQ(GetStatusWord(-16), "");
    EXPECT_EQ(GetStatusWord(-4), "ALARM");
    EXPECT_EQ(GetStatusWord(-10), "FAIL(Sensor)");
    EXPECT_EQ(GetPointFormat(10), "");
    EXPECT_EQ(GetPointFormat(0), "#0");
    EXPECT_EQ(GetPointFormat(4), "#0.0000");
    EXPECT_EQ(FormatNameUnit("   ", "ppm"), "----(---)");
    EXPECT_EQ(FormatNameUnit(" CO", "ppm"), " CO(ppm)");
}

TEST(GasValues, RoundsToTheResolutionStep) {
    EXPECT_FLOAT_EQ(RoundToStep(0.75f, 0.5f), 1.0f);
    EXPECT_FLOAT_EQ(RoundToStep(0.25f, 0.5f), 0.0f);
    EXPECT_FLOAT_EQ(RoundToStep(-3, 0.1f), 0.0f);
    EXPECT_FLOAT_EQ(RoundToStep(5, 0), 5.0f);         // no step: unchanged, no overflow
    EXPECT_FLOAT_EQ(RoundToStep(1e6f, 0.01f), 1e6f);  // quotient beyond 16 bits: unchanged
    EXPECT_EQ(IntervalToIndex(300), 5);
    EXPECT_EQ(IntervalToIndex(45), 5);
    EXPECT_EQ(IntervalToIndex(10), 0);
    EXPECT_EQ(IntervalToIndex(600), 6);
}

TEST(GasValues, RandomTextNeverCrashesTheParser) {
    std::mt19937 rng(5);
    const QString alphabet = QStringLiteral(" -+.0123456789OVERFAILWNSTMXDC*()e");
    for (int i = 0; i < 20000; ++i) {
        QString s;
        const int n = static_cast<int>(rng() % 10);
        for (int k = 0; k < n; ++k)
            s += alphabet[static_cast<int>(rng() % alphabet.size())];
        const float v = ParseGasValue(s);
        EXPECT_FALSE(std::isnan(v));
        FormatGasValue(v, static_cast<int16_t>(rng() % 5), false);
        StatusDigitToCode(s);
    }
}
