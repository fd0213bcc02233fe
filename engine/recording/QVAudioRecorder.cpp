#include "QVAudioRecorder.h"

#include "AKLog.h"
#include "AKSys.h"
#include "QVDocument.h"
#include "QVPrefs.h"
#include "QVSoundFileRecorder.h"

namespace {

constexpr double kPushWaitMicroSec = 10.0;

}  // namespace

QVAudioRecorder::QVAudioRecorder(QVDocument* document) : AKIdlingClient("QVAudioRecorder", false), mDocument(document)
{}

QVAudioRecorder::~QVAudioRecorder()
{
    SetRecording(false);
    CloseOutputFile();
}

void QVAudioRecorder::PrepareAudioResources(QVAudioInfo const& info)
{
    SetRecording(false);
    mAudioInfo = info;
}

void QVAudioRecorder::ReleaseAudioResources()
{
    SetRecording(false);
    mAudioInfo.Clear();
}

bool QVAudioRecorder::SetRecording(bool recording)
{
    if (recording && !IsRecording()) {
        if (OpenOutputFile() != 0) {
            mError = true;
            return false;
        }
        mError = false;
        mLatchedError.store(0, std::memory_order_release);
        mPaused.store(false, std::memory_order_release);
        mRecording.store(true, std::memory_order_release);
        mWriting.store(true);
        RaiseStamp();
        return true;
    }
    if (!recording && IsRecording()) {
        mRecording.store(false, std::memory_order_release);
        mPaused.store(false, std::memory_order_release);
        RaiseStamp();
        CloseOutputFile();
        return true;
    }
    return false;
}

bool QVAudioRecorder::SetPaused(bool paused)
{
    bool const value = paused && IsRecording();
    if (value == IsPaused())
        return false;
    mPaused.store(value, std::memory_order_release);
    RaiseStamp();
    return true;
}

bool QVAudioRecorder::DoToggleRecording()
{
    if (IsPaused())
        return SetPaused(false);
    return SetRecording(!IsRecording());
}

bool QVAudioRecorder::DoTogglePaused() { return SetPaused(!IsPaused()); }

double QVAudioRecorder::CurrentTime() const
{
    return mFileRecorder != nullptr ? mFileRecorder->GetRecordedTime() : 0.0;
}

void QVAudioRecorder::PushNextAudioBlock(QXSampleBuffer<double> const& block)
{
    if (!mRecording.load(std::memory_order_acquire) || mPaused.load(std::memory_order_acquire))
        return;
    if (mLatchedError.load(std::memory_order_acquire) != 0)
        return;
    // Raised before the writing state is read, and the close lowers that
    // state before it waits on this flag: either this push sees the file
    // closing, or the close sees this push.
    mPushing.store(true);
    if (mWriting.load()) {
        int const status = mFileRecorder->PushNextFrames(block);
        if (status != 0) {
            int expected = 0;
            mLatchedError.compare_exchange_strong(expected, status, std::memory_order_acq_rel);
        }
    }
    mPushing.store(false, std::memory_order_release);
}

void QVAudioRecorder::DoIdling()
{
    if (mFileRecorder == nullptr) {
        GiveMeIdling(false);
        return;
    }
    int status = mLatchedError.load(std::memory_order_acquire);
    // A failed drain is seen here even while the pushes are paused.
    if (status == 0)
        status = mFileRecorder->GetWriteError();
    if (status != 0)
        StopAfterWriteError(status);
}

int QVAudioRecorder::OpenOutputFile()
{
    if (mFileRecorder != nullptr)
        return kQVErrorSoundFileYetOpened;

    AKFilePath path;
    if (int const status = mDocument->ComputeNextRecordSoundFilePath(&path); status != 0) {
        mFilePath = AKFilePath();
        return status;
    }
    QVAudioFileInfo info;
    QVPrefs const& prefs = QVPrefs::sShared;
    if (!info.SetupForWrite(prefs.GetRecordSoundFormat(), mAudioInfo.channelCount, mAudioInfo.sampleRate,
                            prefs.GetRecordSoundFormatInfo(), 0.0)) {
        mFilePath = AKFilePath();
        return AKLogError(kQVErrorSoundFileCantInit, "Can't record \"%s\": no usable audio format", path.c_str());
    }
    auto* const recorder = new QVSoundFileRecorder(path, info, 0.0, 0);
    if (int const status = recorder->Open(); status != 0) {
        recorder->Close();
        delete recorder;
        mFilePath = AKFilePath();
        return status;
    }
    mFileRecorder = recorder;
    mFilePath = path;
    GiveMeIdling(true);
    return 0;
}

void QVAudioRecorder::CloseOutputFile()
{
    mWriting.store(false);
    while (mPushing.load(std::memory_order_acquire))
        AKSys::SleepMicroSec(kPushWaitMicroSec);
    GiveMeIdling(false);
    if (mFileRecorder == nullptr)
        return;
    mFileRecorder->Close();
    // The last queued frames are written at close: a failure there (a full
    // disk at stop) must not pass for a complete recording.
    if (mFileRecorder->GetWriteError() != 0 && !mError) {
        mError = true;
        RaiseStamp();
    }
    delete mFileRecorder;
    mFileRecorder = nullptr;
}

void QVAudioRecorder::StopAfterWriteError(int status)
{
    AKLogError(status, "Recording of \"%s\" stopped: the sound file can't be written", mFilePath.c_str());
    mRecording.store(false, std::memory_order_release);
    mPaused.store(false, std::memory_order_release);
    mError = true;
    RaiseStamp();
    CloseOutputFile();
}
