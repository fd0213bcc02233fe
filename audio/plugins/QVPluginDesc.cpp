#include "QVPluginDesc.h"

#include "AKLog.h"

#include <algorithm>

namespace {

constexpr unsigned int kNotFound = 0xFFFFFFFFu;

QVPluginDesc const& NotFound(unsigned int* index)
{
    if (index != nullptr)
        *index = kNotFound;
    return kQVNullPluginDesc;
}

QVPluginDesc const& Found(QVPluginDesc const& desc, unsigned int at, unsigned int* index)
{
    if (index != nullptr)
        *index = at;
    return desc;
}

}  // namespace

QVPluginDesc const& QVNullPluginDescShared()
{
    static QVPluginDesc const* const sNull = new QVPluginDesc();
    return *sNull;
}

QVPluginDesc::QVPluginDesc(QVPluginDescUID uid, QVPluginFormat format, AKString const& name, AKString const& fileID,
                           unsigned int inputCount, unsigned int outputCount)
    : mUID(uid), mFormat(format), mName(NormaliseName(name, format)), mFileID(fileID), mInputCount(inputCount),
      mOutputCount(outputCount)
{}

AKString QVPluginDesc::NormaliseName(AKString const& name, QVPluginFormat format)
{
    AKString const prefix = QVPluginFormatGetNamePrefix(format);
    if (prefix.IsEmpty())
        return name;
    // Each step at most once and in this order, so that "VST3 Echo" of a VST
    // plug-in keeps its "3" ("VST-3 Echo").
    AKString rest = name;
    rest.RemoveBegin(prefix);
    rest.RemoveBegin(" ");
    rest.RemoveBegin("-");
    rest.RemoveBegin(" ");
    rest.RemoveBegin("-");
    AKString normalised = prefix;
    normalised.Append("-").Append(rest);
    return normalised;
}

void QVPluginDesc::LogInfo(unsigned int) const
{
    char uidText[kQVPluginDescUIDTextSize];
    AKLog("| UID:     \"%s\"\n", strSetasQVPluginDescUID(uidText, mUID));
    AKLog("| Name:    \"%s\"\n", mName.c_str());
    AKLog("| FileID:  \"%s\"\n", mFileID.c_str());
    AKLog("| In/Out:  %u => %u\n", mInputCount, mOutputCount);
    AKLog("+%s+\n", std::string(82, '-').c_str());
}

// --- QVPluginDescArray ---

QVPluginDesc const& QVPluginDescArray::FindDescByUID(QVPluginDescUID uid, unsigned int* index) const
{
    if (uid == kQVNullPluginDescUID)
        return NotFound(index);
    for (unsigned int i = 0, n = Count(); i < n; ++i) {
        if (fItems[i].GetUID() == uid)
            return Found(fItems[i], i, index);
    }
    return NotFound(index);
}

QVPluginDesc const& QVPluginDescArray::FindDescByName(AKString const& name, unsigned int* index) const
{
    if (name.IsEmpty())
        return NotFound(index);
    for (unsigned int i = 0, n = Count(); i < n; ++i) {
        if (fItems[i].GetName() == name)
            return Found(fItems[i], i, index);
    }
    return NotFound(index);
}

unsigned int QVPluginDescArray::LowerBoundByUID(QVPluginDescUID uid) const
{
    auto it = std::lower_bound(fItems.begin(), fItems.end(), uid,
                               [](QVPluginDesc const& desc, QVPluginDescUID key) { return desc.GetUID() < key; });
    return static_cast<unsigned int>(it - fItems.begin());
}

QVPluginDesc const& QVPluginDescArray::BSearchDescByUID(QVPluginDescUID uid, unsigned int* index) const
{
    if (uid == kQVNullPluginDescUID)
        return NotFound(index);
    unsigned int const at = LowerBoundByUID(uid);
    if (at < Count() && fItems[at].GetUID() == uid)
        return Found(fItems[at], at, index);
    return NotFound(index);
}

QVPluginDesc const& QVPluginDescArray::BSearchDescByName(AKString const& name, unsigned int* index) const
{
    if (name.IsEmpty())
        return NotFound(index);
    auto it = std::lower_bound(fItems.begin(), fItems.end(), name,
                               [](QVPluginDesc const& desc, AKString const& key) { return desc.GetName() < key; });
    if (it != fItems.end() && it->GetName() == name)
        return Found(*it, static_cast<unsigned int>(it - fItems.begin()), index);
    return NotFound(index);
}

void QVPluginDescArray::SortDescByUID()
{
    Sort([](QVPluginDesc const& a, QVPluginDesc const& b) { return a.GetUID() < b.GetUID(); }, false);
}

void QVPluginDescArray::SortDescByName()
{
    Sort([](QVPluginDesc const& a, QVPluginDesc const& b) { return a.GetName() < b.GetName(); }, false);
}

bool QVPluginDescArray::InsertDescInSortedArray(QVPluginDesc const& desc, unsigned int* index)
{
    QVPluginDescUID const uid = desc.GetUID();
    unsigned int const at = LowerBoundByUID(uid);
    if (uid == kQVNullPluginDescUID || (at < Count() && fItems[at].GetUID() == uid)) {
        NotFound(index);
        return false;
    }
    Insert(at, desc);
    if (index != nullptr)
        *index = at;
    return true;
}

bool QVPluginDescArray::RemoveDescFromSortedArray(QVPluginDescUID uid, unsigned int* index)
{
    unsigned int at = kNotFound;
    BSearchDescByUID(uid, &at);
    if (index != nullptr)
        *index = at;
    if (at == kNotFound)
        return false;
    Remove(at);
    return true;
}
