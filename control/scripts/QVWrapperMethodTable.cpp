// The script functions in their registration order.

#include "QVWrapperClass.h"

#include <duktape.h>

namespace {

QVWrapperClass::MethodEntry const kMethods[] = {
    {"_QS_log", QVWrapperClass::Method_log},
    {"_QS_mathFun1", QVWrapperClass::Method_mathFun1},
    {"_QS_mathFun2", QVWrapperClass::Method_mathFun2},
};

}  // namespace

QVWrapperClass::MethodEntry const* QVWrapperClass::GetMethods(size_t* outCount)
{
    *outCount = sizeof(kMethods) / sizeof(kMethods[0]);
    return kMethods;
}

void QVWrapperClass::RegisterMethods(QVScriptContext* context)
{
    for (MethodEntry const& entry : kMethods) {
        // Every function counts its own arguments: the interpreter passes them all.
        duk_push_c_function(context, entry.mMethod, DUK_VARARGS);
        duk_put_global_string(context, entry.mName);
    }
}
