#pragma once

// The words of the script functions _QS_mathFun1 and _QS_mathFun2. A word is
// compared as an 8-byte key: longer words are cut to their first 8 bytes.

// Applies the one-argument function named by the word ("abs" ... "tanh",
// "random"); false for an unknown word.
bool QVWrapperMathFun1(char const* word, double x, double* outResult);
// "pow" or "fmod"; false for an unknown word.
bool QVWrapperMathFun2(char const* word, double x, double y, double* outResult);
