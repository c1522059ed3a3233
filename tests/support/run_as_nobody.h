#pragma once
// Runs test code without root's rights: in a child process that has given up root for good.

#include <functional>

namespace dorvex::test {

// Runs `body` in a forked child as the nobody user and group and returns the child's exit status
// (`body`'s result); 125 when the child could not give up root, -1 when it did not end normally.
int RunAsNobody(const std::function<int()>& body);

}  // namespace dorvex::test
