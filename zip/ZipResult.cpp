#include "zip/ZipResult.h"

#include <algorithm>
#include <string_view>

#include "zip/ZipWriter.h"

namespace {

thread_local ZipResult t_lastResult = kZipOk;

std::u16string_view TextOf(ZipResult code) {
    switch (code) {
        case kZipOk: return u"Success";
        case kZipDuplicateFailed: return u"Culdn't duplicate handle";
        case kZipOpenFailed: return u"Couldn't create/open file";
        case kZipNoMemory: return u"Failed to allocate memory";
        case kZipWriteFailed: return u"Error writing to file";
        case kZipNotFound: return u"File not found in the zipfile";
        case kZipMoreData: return u"Still more data to unzip";
        case kZipCorrupt: return u"Zipfile is corrupt or not a zipfile";
        case kZipReadFailed: return u"Error reading file";
        case kZipBadArguments: return u"Caller: faulty arguments";
        case kZipNotInMemory: return u"Caller: can only get memory of a memory zipfile";
        case kZipMemoryFull: return u"Caller: not enough space allocated for memory zipfile";
        case kZipPreviousError: return u"Caller: there was a previous error";
        case kZipEnded: return u"Caller: additions to the zip have already been ended";
        case kZipSizeMismatch: return u"Zip-bug: the anticipated size turned out wrong";
        case kZipPartlyUnzipped: return u"Caller: the file had already been partially unzipped";
        case kZipMixedHandle: return u"Caller: mixing creation and opening of zip";
        case kZipNotInitialised: return u"Zip-bug: internal initialisation not completed";
        case kZipUnseekable: return u"Zip-bug: trying to seek the unseekable";
        case kZipChangedMind: return u"Zip-bug: tried to change mind, but not allowed";
        case kZipFlateFailed: return u"Zip-bug: an internal error during flation";
        default: return u"unknown zip result code";
    }
}

}  // namespace

namespace qv::zip {

ZipResult LastResult() { return t_lastResult; }

ZipResult StoreLastResult(ZipResult result) {
    t_lastResult = result;
    return result;
}

}  // namespace qv::zip

std::uint32_t DescribeZipResult(ZipResult code, char16_t* buffer, std::uint32_t size) {
    const std::u16string_view text = TextOf(code == kZipLastResult ? t_lastResult : code);
    if (buffer && size > 0) {
        const std::size_t copied = std::min<std::size_t>(text.size(), size - 1);
        std::copy_n(text.begin(), copied, buffer);
        buffer[copied] = u'\0';
    }
    return static_cast<std::uint32_t>(text.size());
}
