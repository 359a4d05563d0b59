// The operations a journal can hold: the host interface's calls, the sound
// library's, and the host's own lines (debug line, fault). "expect call"
// and "expect no-call" name one of these or are refused.
#pragma once

#include <string>
#include <vector>

namespace vsim {

bool KnownOperation(const std::string& name);
const std::vector<std::string>& Operations();

// The candidate nearest to a misspelt word, or empty when none is near.
std::string Nearest(const std::string& word, const std::vector<std::string>& candidates);
// " (did you mean \"X\"?)", or empty.
std::string DidYouMean(const std::string& word, const std::vector<std::string>& candidates);

}  // namespace vsim
