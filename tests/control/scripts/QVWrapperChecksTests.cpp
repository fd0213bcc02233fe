// The argument checks of the script functions, on values the interpreter
// made from script expressions.

#include "AKStatus.h"
#include "QVScriptSandbox.h"
#include "QVWrapperClass.h"

#include <duktape.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace {

class WrapperChecks : public ::testing::Test
{
protected:
    void SetUp() override
    {
        mContext = QVScriptSandbox::CreateInterpreter();
        ASSERT_NE(mContext, nullptr);
        QVWrapperClass::ClearError();
    }
    void TearDown() override
    {
        QVScriptSandbox::DestroyInterpreter(mContext);
        QVWrapperClass::ClearError();
        EXPECT_EQ(QVScriptSandbox::GetMemory().GetBlockCount(), 0u);
    }

    // Puts the value of the expression at stack index 0 and runs the check on it.
    bool Check(std::string const& expression, std::function<bool(QVScriptContext*)> const& check)
    {
        duk_set_top(mContext, 0);
        QVWrapperClass::ClearError();
        EXPECT_EQ(duk_peval_string(mContext, ("(" + expression + ")").c_str()), 0) << expression;
        return check(mContext);
    }

    static std::string Error() { return QVWrapperClass::sCurrErrorStr.c_str(); }

    QVScriptContext* mContext = nullptr;
};

}  // namespace

TEST_F(WrapperChecks, IntegerDoubleAndBoolean)
{
    struct Case {
        char const* expression;
        bool isInt, isDouble, isBool;
    };
    Case const cases[] = {
        {"0", true, true, true},
        {"1", true, true, true},
        {"-7", true, true, false},
        {"2147483647", true, true, false},
        {"2147483648", false, true, false},
        {"-2147483649", false, true, false},
        {"1.5", false, true, false},
        {"NaN", false, true, false},
        {"Infinity", false, true, false},
        {"true", false, false, true},
        {"'3'", false, false, false},
        {"undefined", false, false, false},
        {"[1]", false, false, false},
    };
    for (Case const& c : cases) {
        int i = 0;
        double d = 0;
        bool b = false;
        EXPECT_EQ(Check(c.expression, [&](QVScriptContext* x) { return QVWrapperClass::CheckArgAsInteger(x, 0, &i); }),
                  c.isInt)
            << c.expression;
        if (!c.isInt) {
            EXPECT_EQ(QVWrapperClass::sCurrError, kQVErrorJScriptArgumentBadType);
            EXPECT_EQ(Error(), "Type int is expected for argument 1");
        }
        EXPECT_EQ(Check(c.expression, [&](QVScriptContext* x) { return QVWrapperClass::CheckArgAsDouble(x, 0, &d); }),
                  c.isDouble)
            << c.expression;
        if (!c.isDouble) {
            EXPECT_EQ(Error(), "Type double is expected for argument 1");
        }
        EXPECT_EQ(Check(c.expression, [&](QVScriptContext* x) { return QVWrapperClass::CheckArgAsBoolean(x, 0, &b); }),
                  c.isBool)
            << c.expression;
        if (!c.isBool) {
            EXPECT_EQ(Error(), "Type bool is expected for argument 1");
        }
    }
    int value = 0;
    EXPECT_TRUE(Check("-42", [&](QVScriptContext* x) { return QVWrapperClass::CheckArgAsInteger(x, 0, &value); }));
    EXPECT_EQ(value, -42);
    bool flag = false;
    EXPECT_TRUE(Check("1", [&](QVScriptContext* x) { return QVWrapperClass::CheckArgAsBoolean(x, 0, &flag); }));
    EXPECT_TRUE(flag);
}

TEST_F(WrapperChecks, StringsAndPaths)
{
    QVScriptText text;
    auto allowed = [&](QVScriptContext* x) { return QVWrapperClass::CheckArgAsAKString(x, 0, true, &text); };
    auto refused = [&](QVScriptContext* x) { return QVWrapperClass::CheckArgAsAKString(x, 0, false, &text); };
    auto path = [&](QVScriptContext* x) { return QVWrapperClass::CheckArgAsAKFilePath(x, 0, &text); };

    EXPECT_TRUE(Check("'a\\u0000b'", allowed));
    EXPECT_EQ(std::string(text.mBytes, text.mLength), std::string("a\0b", 3));
    EXPECT_TRUE(Check("undefined", allowed));
    EXPECT_EQ(text.mLength, 0u);
    EXPECT_STREQ(text.mBytes, "");
    EXPECT_TRUE(Check("''", allowed));
    EXPECT_FALSE(Check("''", refused));
    EXPECT_EQ(Error(), "Type string is expected for argument 1");
    EXPECT_FALSE(Check("undefined", refused));
    EXPECT_FALSE(Check("''", path));
    EXPECT_FALSE(Check("5", allowed));
    EXPECT_FALSE(Check("null", allowed));
    EXPECT_TRUE(Check("'/tmp/x.wav'", path));
    EXPECT_STREQ(text.mBytes, "/tmp/x.wav");
}

TEST_F(WrapperChecks, ArraysIntervalsAndParameterValues)
{
    QVScriptIntegers ints;
    auto integers = [&](QVScriptContext* x) { return QVWrapperClass::CheckArgAsIntegers(x, 0, &ints); };
    EXPECT_TRUE(Check("[]", integers));
    EXPECT_EQ(ints.mCount, 0);
    EXPECT_TRUE(Check("[1, -2, 3]", integers));
    ASSERT_EQ(ints.mCount, 3);
    EXPECT_EQ(ints.mValues[1], -2);
    for (char const* bad : {"[1, 2.5]", "[1, '2']", "5", "'[]'", "[1, , 3]"}) {
        EXPECT_FALSE(Check(bad, integers)) << bad;
        EXPECT_EQ(Error(), "Type array[integers] is expected for argument 1") << bad;
    }

    AKTimeIntv interval{};
    auto intv = [&](QVScriptContext* x) { return QVWrapperClass::CheckArgAsAKTimeIntv(x, 0, &interval); };
    EXPECT_TRUE(Check("[0.5, 2]", intv));
    EXPECT_EQ(interval, (AKTimeIntv{0.5, 2.0}));
    for (char const* bad : {"[1]", "[1, 2, 3]", "[1, 'x']", "1"}) {
        EXPECT_FALSE(Check(bad, intv)) << bad;
        EXPECT_EQ(Error(), "Type array[double, double] is expected for argument 1") << bad;
    }

    double v1 = -1, v2 = -1;
    auto param = [&](QVScriptContext* x) { return QVWrapperClass::CheckArgAsParameterObject(x, 0, &v1, &v2); };
    struct Case {
        char const* expression;
        double v1, v2;
    };
    for (Case const& c :
         {Case{"true", 1, 0}, Case{"false", 0, 0}, Case{"-3.5", -3.5, 0}, Case{"[4]", 4, 0}, Case{"[1, 2]", 1, 2}}) {
        EXPECT_TRUE(Check(c.expression, param)) << c.expression;
        EXPECT_EQ(v1, c.v1) << c.expression;
        EXPECT_EQ(v2, c.v2) << c.expression;
    }
    for (char const* bad : {"[1, 2, 3]", "[]", "['1']", "'1'", "undefined"}) {
        EXPECT_FALSE(Check(bad, param)) << bad;
        EXPECT_EQ(Error(), "Type 1 or 2 doubles is expected for argument 1") << bad;
    }
}

TEST_F(WrapperChecks, FirstFailureOfACallIsKeptAndCountIsExact)
{
    duk_set_top(mContext, 0);
    duk_push_string(mContext, "x");
    duk_push_number(mContext, 1.5);
    int value = 0;
    EXPECT_FALSE(QVWrapperClass::CheckArgCount(mContext, 3));
    EXPECT_EQ(QVWrapperClass::sCurrError, kQVErrorJScriptArgumentBadCount);
    EXPECT_EQ(Error(), "3 argument(s) expected");
    EXPECT_FALSE(QVWrapperClass::CheckArgAsInteger(mContext, 1, &value));
    EXPECT_EQ(QVWrapperClass::sCurrError, kQVErrorJScriptArgumentBadCount);
    EXPECT_EQ(Error(), "3 argument(s) expected");

    QVWrapperClass::ClearError();
    EXPECT_TRUE(QVWrapperClass::CheckArgCount(mContext, 2));
    EXPECT_FALSE(QVWrapperClass::CheckArgAsInteger(mContext, 1, &value));
    EXPECT_EQ(Error(), "Type int is expected for argument 2");
}
