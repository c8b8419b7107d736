// The demo catalogue that `tessel-server --make-demo DIR` writes.
#pragma once

#include <string>

namespace vt::server {

// Writes catalogue.txt, files/<Id>.zip, old/*.zip, upgrade.txt and upgrade/*
// under dir (local code page, trailing separator). False with a reason when
// something could not be written.
bool WriteDemoCatalogue(const std::string& dir, std::string& error);

}  // namespace vt::server
