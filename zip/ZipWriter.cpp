#include "zip/ZipWriter.h"

#include <memory>
#include <new>

#include "zip/ZipWriterState.h"

using qv::zip::StoreLastResult;

namespace {

ZipResult CheckHandle(const ZipWriterHandle* zip) {
    if (!zip) return kZipBadArguments;
    if (zip->kind != kZipWriterKind) return kZipMixedHandle;
    if (!zip->state) return kZipNotInitialised;
    return kZipOk;
}

}  // namespace

ZipWriterHandle* OpenZipWriter(const ZipTarget& target, const char* password) {
    try {
        auto state = std::make_unique<ZipWriterState>();
        if (StoreLastResult(state->Open(target, password)) != kZipOk) return nullptr;
        return new ZipWriterHandle{kZipWriterKind, state.release()};
    } catch (const std::bad_alloc&) {
        StoreLastResult(kZipNoMemory);
        return nullptr;
    }
}

ZipResult AddZipEntry(ZipWriterHandle* zip, const char16_t* name, const ZipSource& source) {
    if (const ZipResult checked = CheckHandle(zip); checked != kZipOk) return StoreLastResult(checked);
    return StoreLastResult(zip->state->AddEntry(name, &source));
}

ZipResult AddZipFolder(ZipWriterHandle* zip, const char16_t* name) {
    if (const ZipResult checked = CheckHandle(zip); checked != kZipOk) return StoreLastResult(checked);
    return StoreLastResult(zip->state->AddEntry(name, nullptr));
}

ZipResult GetZipBuffer(ZipWriterHandle* zip, void** buffer, std::uint32_t* length) {
    if (const ZipResult checked = CheckHandle(zip); checked != kZipOk) return StoreLastResult(checked);
    if (!buffer || !length) return StoreLastResult(kZipBadArguments);
    ZipWriterState& state = *zip->state;
    if (const ZipResult ended = state.End(); ended != kZipOk) return StoreLastResult(ended);
    if (!state.Output().InMemory()) return StoreLastResult(kZipNotInMemory);
    *buffer = state.Output().Memory();
    *length = static_cast<std::uint32_t>(state.Output().Written());
    return StoreLastResult(kZipOk);
}

ZipResult FinishZipWriter(ZipWriterHandle* zip) {
    if (const ZipResult checked = CheckHandle(zip); checked != kZipOk) return StoreLastResult(checked);
    const ZipResult ended = zip->state->End();
    delete zip->state;
    zip->kind = 0;
    delete zip;
    return StoreLastResult(ended);
}

ZipResult AbandonZipWriter(ZipWriterHandle* zip) {
    if (const ZipResult checked = CheckHandle(zip); checked != kZipOk) return StoreLastResult(checked);
    delete zip->state;
    zip->kind = 0;
    delete zip;
    return StoreLastResult(kZipOk);
}

bool IsZipWriterHandle(const ZipWriterHandle* zip) { return zip && zip->kind == kZipWriterKind; }
