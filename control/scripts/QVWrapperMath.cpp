#include "QVWrapperMath.h"

#include "AKRandom.h"

#include <cmath>
#include <cstdint>
#include <cstring>

namespace {

uint64_t MakeKey(char const* word)
{
    char bytes[8] = {0, 0, 0, 0, 0, 0, 0, 0};
    for (size_t i = 0; i < sizeof(bytes) && word[i] != '\0'; ++i)
        bytes[i] = word[i];
    uint64_t key = 0;
    std::memcpy(&key, bytes, sizeof(key));
    return key;
}

struct Fun1 {
    uint64_t mKey;
    double (*mFun)(double);
};

double Random(double) { return akrand::_lowRandom(0.5, 0.0, 1.0, 1.0); }

// Built at static initialisation, as the words are fixed.
Fun1 const kFuns1[] = {
    {MakeKey("abs"), [](double x) { return std::fabs(x); }},
    {MakeKey("acos"), [](double x) { return std::acos(x); }},
    {MakeKey("asin"), [](double x) { return std::asin(x); }},
    {MakeKey("atan"), [](double x) { return std::atan(x); }},
    {MakeKey("ceil"), [](double x) { return std::ceil(x); }},
    {MakeKey("cos"), [](double x) { return std::cos(x); }},
    {MakeKey("cosh"), [](double x) { return std::cosh(x); }},
    {MakeKey("exp"), [](double x) { return std::exp(x); }},
    {MakeKey("floor"), [](double x) { return std::floor(x); }},
    {MakeKey("log"), [](double x) { return std::log(x); }},
    {MakeKey("log10"), [](double x) { return std::log10(x); }},
    {MakeKey("round"), [](double x) { return std::round(x); }},
    {MakeKey("sin"), [](double x) { return std::sin(x); }},
    {MakeKey("sinh"), [](double x) { return std::sinh(x); }},
    {MakeKey("sqrt"), [](double x) { return std::sqrt(x); }},
    {MakeKey("tan"), [](double x) { return std::tan(x); }},
    {MakeKey("tanh"), [](double x) { return std::tanh(x); }},
    {MakeKey("random"), Random},
};

uint64_t const kPow = MakeKey("pow");
uint64_t const kFmod = MakeKey("fmod");

}  // namespace

bool QVWrapperMathFun1(char const* word, double x, double* outResult)
{
    uint64_t const key = MakeKey(word);
    for (Fun1 const& fun : kFuns1) {
        if (fun.mKey == key) {
            *outResult = fun.mFun(x);
            return true;
        }
    }
    return false;
}

bool QVWrapperMathFun2(char const* word, double x, double y, double* outResult)
{
    uint64_t const key = MakeKey(word);
    if (key == kPow)
        *outResult = std::pow(x, y);
    else if (key == kFmod)
        *outResult = std::fmod(x, y);
    else
        return false;
    return true;
}
