// Where the server keeps its counts (usage pings per addon, statistics page
// loads). Several server processes behind one front end share a Redis store,
// so each of them counts into and reports the same totals; a single process
// may keep them in its own memory.
#pragma once

#include <map>
#include <memory>
#include <string>

namespace vt::server {

class CountStore {
  public:
    virtual ~CountStore() = default;
    // Adds one to key in group; false when the store could not be reached.
    // Safe from several threads at once.
    virtual bool Add(const std::string& group, const std::string& key) = 0;
    // Every count of group; false (counts emptied) when the store could not
    // be reached.
    virtual bool Read(const std::string& group, std::map<std::string, long>& counts) = 0;
    // What the store is, for the status page and the log: "local", "redis ...".
    virtual std::string Describe() const = 0;
};

// The counts in this process's memory.
std::unique_ptr<CountStore> MakeLocalCountStore();

// A store from its description: "local", or "redis://HOST:PORT[/PREFIX]"
// (HOST a dotted IPv4 address or name, PREFIX the start of the Redis key
// names, "tessel" by default). Null with a reason when the text is not one of
// those; an unreachable Redis is no error here (it is tried on every use).
std::unique_ptr<CountStore> MakeCountStore(const std::string& description, std::string& error);

}  // namespace vt::server
