// Hive file parser: any input either fails with a message or gives trees whose
// serialised text parses back to the same trees and the same text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "platform/win/RegistryStore.h"

namespace {

constexpr RegHive kHives[] = {RegHive::ClassesRoot, RegHive::CurrentUser, RegHive::LocalMachine,
                              RegHive::Users, RegHive::CurrentConfig, RegHive::DynData};

bool Load(const std::string& text, std::vector<std::unique_ptr<RegKeyNode>>& trees)
{
    std::vector<RegOp> ops;
    RegParseError err;
    if (!ParseRegText(text, ops, err)) {
        if (err.Message.empty()) std::abort();  // every failure says why
        return false;
    }
    trees.clear();
    for (RegHive h : kHives) {
        std::vector<RegOp> mine;
        for (const auto& op : ops)
            if (op.Hive == h) mine.push_back(op);
        trees.push_back(std::make_unique<RegKeyNode>());
        if (!ApplyRegOps(*trees.back(), h, mine, err)) std::abort();
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::vector<std::unique_ptr<RegKeyNode>> first, second;
    if (!Load(text, first)) return 0;
    for (size_t i = 0; i < first.size(); ++i) {
        const std::string out = SerializeHive(*first[i], kHives[i]);
        std::vector<std::unique_ptr<RegKeyNode>> back;
        if (!Load(out, back)) std::abort();
        if (!back[i]->SameAs(*first[i])) std::abort();
        if (SerializeHive(*back[i], kHives[i]) != out) std::abort();
    }
    return 0;
}
