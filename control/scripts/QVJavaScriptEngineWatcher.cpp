#include "QVJavaScriptEngineWatcher.h"

#include "AKSys.h"
#include "QVScriptSandbox.h"

namespace {

constexpr double kProcessorShare = 0.5;
// Raised by the thread class to its minimum: the watcher only reads the clock.
constexpr double kExpectedProcessorUse = 0.001;

double NowSec() { return AKSys::GetCurrentApplicationTimeMicroSec() / 1000000.0; }

}  // namespace

QVJavaScriptEngineWatcher::QVJavaScriptEngineWatcher() : AKThreadClient(kProcessorShare)
{
    mThread.SetExpectedCpuUsage(kExpectedProcessorUse);
}

QVJavaScriptEngineWatcher::~QVJavaScriptEngineWatcher() { mThread.Stop(); }

int QVJavaScriptEngineWatcher::Start(double durationSec)
{
    mTimedOut.store(false);
    mDeadline.store(NowSec() + durationSec);
    return mThread.Start();
}

void QVJavaScriptEngineWatcher::Stop() { mThread.Stop(); }

void QVJavaScriptEngineWatcher::ThreadCallback()
{
    if (!mTimedOut.load() && NowSec() > mDeadline.load()) {
        mTimedOut.store(true);
        QVScriptSandbox::RaiseStop();
    }
}
