#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/shared_memory.h"

namespace vt::platform {

namespace {

// The named blocks of this process; a block lives while some holder has it.
struct Registry {
    std::mutex mutex;
    std::map<std::string, std::weak_ptr<std::vector<uint8_t>>> blocks;
};

Registry& Blocks() {
    static Registry registry;
    return registry;
}

// Keeps a block of the registry alive for one holder.
std::map<intptr_t, std::shared_ptr<std::vector<uint8_t>>>& Holders() {
    static std::map<intptr_t, std::shared_ptr<std::vector<uint8_t>>> holders;
    return holders;
}

}  // namespace

void SharedMemory::Release() {
    if (handle_) {
        std::lock_guard<std::mutex> lock(Blocks().mutex);
        Holders().erase(handle_);
    }
    handle_ = 0;
    data_ = nullptr;
    size_ = 0;
}

SharedMemory::Result SharedMemory::CreateOrOpen(const std::string& name, size_t size) {
    return Open(name, size, true);
}

SharedMemory::Result SharedMemory::OpenExisting(const std::string& name, size_t size) {
    return Open(name, size, false);
}

bool SharedMemory::Exists(const std::string& name) {
    Registry& registry = Blocks();
    std::lock_guard<std::mutex> lock(registry.mutex);
    const auto found = registry.blocks.find(name);
    return found != registry.blocks.end() && !found->second.expired();
}

SharedMemory::Result SharedMemory::Open(const std::string& name, size_t size, bool create) {
    Release();
    static intptr_t nextHandle = 0;
    Registry& registry = Blocks();
    std::lock_guard<std::mutex> lock(registry.mutex);
    std::shared_ptr<std::vector<uint8_t>> block = registry.blocks[name].lock();
    Result result = Result::kOpenedExisting;
    if (!block) {
        if (!create)
            return Result::kFailed;
        block = std::make_shared<std::vector<uint8_t>>(size, 0);
        registry.blocks[name] = block;
        result = Result::kCreated;
    }
    // Like a view of a mapping made smaller: never more than the block holds.
    if (block->size() < size)
        return Result::kFailed;
    handle_ = ++nextHandle;
    data_ = block->data();
    size_ = size;
    Holders()[handle_] = std::move(block);
    return result;
}

}  // namespace vt::platform
