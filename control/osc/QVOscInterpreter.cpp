#include "QVOscInterpreter.h"

#include "AKLog.h"
#include "QVDocument.h"
#include "QVDocumentMgr.h"
#include "QVObjectPlayable.h"
#include "QVObjectSequence.h"
#include "QVObjectTrack.h"
#include "QVOscArgIter.h"
#include "QVOscDumpReply.h"
#include "QVParams.h"

#include <algorithm>
#include <optional>

// Status codes of the interpreter (plain numbers, see AKStatus.h):
// -1985 no object of the needed class, -1986 no usable reference, -1987 no
// active document, -1988 a missing value, -1989 a value of the wrong type,
// -1990 an unexpected argument; -1 a value the parameter table refused.

namespace {

AKKeyC15 const kAddress("/quorvex");

AKKeyC15 const kPlayer("player");
AKKeyC15 const kSequence("sequence");
AKKeyC15 const kTrack("track");
AKKeyC15 const kSelection("selection");
AKKeyC15 const kPresets("presets");
AKKeyC15 const kPlugin("plugin");
AKKeyC15 const kDump("dump");

AKKeyC15 const kBegin("begin");
AKKeyC15 const kEnd("end");
AKKeyC15 const kCenter("center");
AKKeyC15 const kDuration("duration");
AKKeyC15 const kMove("move");
AKKeyC15 const kNone("none");

AKKeyC15 const kSave("save");
AKKeyC15 const kClear("clear");
AKKeyC15 const kRecall("recall");

AKKeyC15 const kBypass("bypass");
AKKeyC15 const kParam("param");
AKKeyC15 const kValue("value");

int LogTooFew() { return AKLogError(-1988, "OSC Too few argument"); }
int LogBadType(char const* text) { return AKLogError(-1989, "OSC Argument <%s> has not the expected type", text); }
int LogUnexpected(char const* text) { return AKLogError(-1990, "OSC Unexpected argument <%s>", text); }
int LogNoReference() { return AKLogError(-1986, "OSC Object ID is not defined"); }
int LogNoObject(QVTPRef& reference)
{
    return AKLogError(-1985, "OSC No object of needed type at ID[%s]", reference.c_str());
}

// A reader's failure as the keyed sections log it: the value's text names a
// mistyped value.
int LogReadFailure(int status, QVOscArgIter const& args)
{
    return status == -1988 ? LogTooFew() : LogBadType(args.TextForLog());
}

// The section's document, held under the read side of its tree guard for as
// long as the section runs (see the header).
class SectionDocument
{
public:
    SectionDocument() : mDocument(QVDocumentMgr::sShared.GetActiveDocument())
    {
        if (mDocument != nullptr)
            mRead.emplace(mDocument->GetTreeGuard());
    }
    SectionDocument(SectionDocument const&) = delete;
    SectionDocument& operator=(SectionDocument const&) = delete;

    QVDocument* Get() const { return mDocument; }

private:
    QVDocument* const mDocument;
    std::optional<QVDocumentTreeGuard::ReadScope> mRead;
};

// The value of one parameter pair; the key was consumed.
int ReadParameterValue(QVOscArgIter& args, QVParamInfo const& info, double* value)
{
    int status = 0;
    switch (info.GetType()) {
    case kQVPrmTypeTrigger:
        *value = 0;
        return 0;
    case kQVPrmTypeBoolean: {
        if ((args.AtEnd() || args.IsText()) && info.HasFlag(kQVPrmFlagToggle)) {
            *value = 2;
            return 0;
        }
        bool flag = false;
        status = args.ReadBoolean(&flag);
        *value = flag ? 1 : 0;
        break;
    }
    case kQVPrmTypeInteger: {
        int32_t number = 0;
        status = args.ReadInteger(&number);
        *value = number;
        break;
    }
    case kQVPrmTypeReal:
        status = args.ReadReal(value);
        break;
    default:
        status = -1989;
        break;
    }
    return status != 0 ? LogBadType(info.GetUnivKey().c_str()) : 0;
}

// Key/value pairs until the arguments run out.
int ApplyParameters(QVOscArgIter& args, AKObject* object, QVPrmGroup group)
{
    while (!args.AtEnd()) {
        if (!args.IsText())
            return -1;
        unsigned int const id = QVParams::GetByUnivKey(args.CurrentKey(), group);
        if (id == 0)
            return LogUnexpected(args.TextForLog());
        args.Next();
        QVParamInfo const& info = QVParams::GetByID(id);
        double value = 0;
        if (int const status = ReadParameterValue(args, info, &value))
            return status;
        if (!QVParams::SetObjectParameter(object, id, 0, value, 0, false, nullptr))
            return -1;
    }
    return 0;
}

// A keyed value of a section and whether the message gave it.
template <class Value>
struct Given {
    bool on = false;
    Value value{};
};

int ReadValue(QVOscArgIter& args, QVTPRef* value) { return args.ReadReference(value); }
int ReadValue(QVOscArgIter& args, bool* value) { return args.ReadBoolean(value); }
int ReadValue(QVOscArgIter& args, int32_t* value) { return args.ReadInteger(value); }
int ReadValue(QVOscArgIter& args, double* value) { return args.ReadReal(value); }

// When the current argument is `key`: consumes it, reads the value after it
// into `given` (a failure logged in `status`) and answers true.
template <class Value>
bool ReadIfKey(QVOscArgIter& args, AKKeyC15 const& key, Given<Value>* given, int* status)
{
    if (!args.IsKey(key))
        return false;
    args.Next();
    if (int const failure = ReadValue(args, &given->value))
        *status = LogReadFailure(failure, args);
    else
        given->on = true;
    return true;
}

// A section of keyed values about one object: `sectionKey` with the object's
// reference and the keys `readKey` knows (it answers false for any other), in
// any order until the arguments run out. Then the reference is resolved to an
// `Object` and `apply` acts on it, all under the read side of the active
// document's tree guard.
template <class Object, class ReadKey, class Apply>
int InterpretKeyedSection(QVOscArgIter& args, AKKeyC15 const& sectionKey, ReadKey readKey, Apply apply)
{
    SectionDocument document;
    if (document.Get() == nullptr)
        return -1987;
    Given<QVTPRef> reference;
    while (!args.AtEnd()) {
        int status = 0;
        if (!ReadIfKey(args, sectionKey, &reference, &status) && !readKey(&status))
            return LogUnexpected(args.TextForLog());
        if (status != 0)
            return status;
    }
    if (!reference.on)
        return LogNoReference();
    Object* const object = document.Get()->GetObjectForOSCT<Object>(reference.value.id, reference.value.path);
    if (object == nullptr)
        return LogNoObject(reference.value);
    return apply(*object, reference.value);
}

// The new interval of a selection; false when nothing was asked.
bool ComputeSelection(QVObjectPlayable const& sequence, Given<double> begin, Given<double> end, Given<double> center,
                      Given<double> duration, Given<double> move, bool none, double* newBegin, double* newEnd)
{
    if (!begin.on && !end.on && !center.on && !duration.on && !move.on && !none)
        return false;
    double const span = sequence.GetUserSpan();
    double begin0 = 0;
    double end0 = 0;
    if (span > 0) {
        begin0 = sequence.GetUserTime() - span / 2;
        end0 = begin0 + span;
    }
    double const length = std::max(duration.value, 0.0);
    double b = 0;
    double e = 0;
    if (begin.on && end.on) {
        b = begin.value;
        e = end.value;
    } else if (begin.on && duration.on) {
        b = begin.value;
        e = begin.value + length;
    } else if (end.on && duration.on) {
        b = end.value - length;
        e = end.value;
    } else if (begin.on) {
        b = begin.value;
        e = end0;
    } else if (end.on) {
        b = begin0;
        e = end.value;
    } else if (center.on && duration.on) {
        b = center.value - length / 2;
        e = center.value + length / 2;
    } else if (center.on) {
        b = center.value - (end0 - begin0) / 2;
        e = center.value + (end0 - begin0) / 2;
    } else if (duration.on) {
        double const middle = (begin0 + end0) / 2;
        b = middle - length / 2;
        e = middle + length / 2;
    } else if (move.on) {
        b = begin0 + move.value;
        e = end0 + move.value;
    }
    // A begin after the end (given so, or against the current interval) is
    // taken as the interval between the two.
    *newBegin = std::min(b, e);
    *newEnd = std::max(b, e);
    return true;
}

int InterpretSelection(QVOscArgIter& args)
{
    Given<double> begin, end, center, duration, move;
    bool none = false;
    auto const readKey = [&](int* status) {
        if (ReadIfKey(args, kBegin, &begin, status) || ReadIfKey(args, kEnd, &end, status) ||
            ReadIfKey(args, kCenter, &center, status) || ReadIfKey(args, kDuration, &duration, status) ||
            ReadIfKey(args, kMove, &move, status))
            return true;
        if (!args.IsKey(kNone))
            return false;
        args.Next();
        none = true;
        return true;
    };
    auto const apply = [&](QVObjectSequence& sequence, QVTPRef&) {
        double newBegin = 0;
        double newEnd = 0;
        if (ComputeSelection(sequence, begin, end, center, duration, move, none, &newBegin, &newEnd))
            sequence.LowSetUserTimeAndSpan((newBegin + newEnd) / 2, newEnd - newBegin, false);
        return 0;
    };
    return InterpretKeyedSection<QVObjectSequence>(args, kSelection, readKey, apply);
}

int InterpretPresets(QVOscArgIter& args)
{
    Given<double> duration;
    Given<int32_t> save, clear, recall;
    auto const readKey = [&](int* status) {
        return ReadIfKey(args, kSave, &save, status) || ReadIfKey(args, kClear, &clear, status) ||
               ReadIfKey(args, kRecall, &recall, status) || ReadIfKey(args, kDuration, &duration, status);
    };
    auto const apply = [&](QVObjectSequence& sequence, QVTPRef&) {
        if (duration.on)
            sequence.SetUserPresetDur(duration.value);
        if (save.on)
            sequence.DoUserPresetSave(unsigned(save.value));
        else if (clear.on)
            sequence.DoUserPresetClear(unsigned(clear.value));
        else if (recall.on)
            sequence.DoUserPresetRecall(unsigned(recall.value), nullptr);
        return 0;
    };
    return InterpretKeyedSection<QVObjectSequence>(args, kPresets, readKey, apply);
}

int InterpretPlugin(QVOscArgIter& args)
{
    Given<bool> bypass;
    Given<int32_t> param;
    Given<double> value;
    auto const readKey = [&](int* status) {
        return ReadIfKey(args, kBypass, &bypass, status) || ReadIfKey(args, kParam, &param, status) ||
               ReadIfKey(args, kValue, &value, status);
    };
    auto const apply = [&](QVObjectPlayable& playable, QVTPRef& reference) {
        if (playable.GetPluginInstance() == nullptr)
            return LogNoObject(reference);
        if (param.on != value.on)
            return LogTooFew();
        if (bypass.on)
            playable.SetPluginBypass(bypass.value ? 1 : 0);
        if (param.on)
            playable.SetPluginParameter(unsigned(param.value), value.value);
        return 0;
    };
    return InterpretKeyedSection<QVObjectPlayable>(args, kPlugin, readKey, apply);
}

int InterpretFolderDump(QVOscArgIter& args, QVOscSenderLibext& sender)
{
    SectionDocument document;
    if (document.Get() == nullptr)
        return -1987;
    while (!args.AtEnd()) {
        if (!args.IsKey(kDump))
            return LogUnexpected(args.TextForLog());
        args.Next();
    }
    return QVOscDumpReply::SendFolderReply(sender, *document.Get());
}

// "player", "sequence" or "track": the reference of an `Object`, then a dump
// request or parameters of `group`.
template <class Object>
int InterpretObjectSection(QVOscArgIter& args, QVPrmGroup group, QVOscSenderLibext& sender)
{
    SectionDocument document;
    if (document.Get() == nullptr)
        return -1987;
    args.Next();
    QVTPRef reference;
    if (int const status = args.ReadReference(&reference)) {
        LogReadFailure(status, args);
        return LogNoReference();
    }
    AKObject* const object = document.Get()->GetObjectForOSCT<Object>(reference.id, reference.path);
    if (object == nullptr)
        return LogNoObject(reference);
    if (args.IsKey(kDump)) {
        args.Next();
        AKString type;
        if (int const status = args.ReadText(&type))
            return LogReadFailure(status, args);
        return QVOscDumpReply::SendObjectReply(sender, object, AKKeyC15(type.c_str()));
    }
    return ApplyParameters(args, object, group);
}

}  // namespace

int QVOscInterpreter::InterpretMessage(osc::ReceivedMessage const& message)
{
    if (AKKeyC15(message.AddressPattern()) != kAddress)
        return 0;
    QVOscArgIter args(message);
    while (!args.AtEnd()) {
        int status = 0;
        if (args.IsKey(kPlayer))
            status = InterpretObjectSection<QVObjectZlayer>(args, kQVPrmGroupPlayable, mSender);
        else if (args.IsKey(kSequence))
            status = InterpretObjectSection<QVObjectSequence>(args, kQVPrmGroupPlayable, mSender);
        else if (args.IsKey(kTrack))
            status = InterpretObjectSection<QVObjectTrack>(args, kQVPrmGroupTrack, mSender);
        else if (args.IsKey(kSelection))
            status = InterpretSelection(args);
        else if (args.IsKey(kPresets))
            status = InterpretPresets(args);
        else if (args.IsKey(kPlugin))
            status = InterpretPlugin(args);
        else if (args.IsKey(kDump))
            status = InterpretFolderDump(args, mSender);
        else
            status = LogUnexpected(args.TextForLog());
        if (status != 0)
            return status;
    }
    return 0;
}

void QVOscInterpreter::InterpretElement(osc::ReceivedPacket const& packet, std::vector<int>* statuses)
{
    if (packet.IsBundle()) {
        osc::ReceivedBundle const bundle(packet);
        for (auto element = bundle.ElementsBegin(); element != bundle.ElementsEnd(); ++element) {
            osc::ReceivedPacket const inner(element->Contents(), element->Size());
            InterpretElement(inner, statuses);
        }
        return;
    }
    osc::ReceivedMessage const message(packet);
    int const status = InterpretMessage(message);
    if (statuses != nullptr && AKKeyC15(message.AddressPattern()) == kAddress)
        statuses->push_back(status);
}

bool QVOscInterpreter::InterpretPacket(char const* data, int size, std::vector<int>* statuses)
{
    try {
        osc::ReceivedPacket const packet(data, osc::osc_bundle_element_size_t(size));
        InterpretElement(packet, statuses);
    } catch (osc::Exception const& error) {
        AKLog("# OSC Listener error: %s\n", error.what());
        return false;
    }
    return true;
}
