// A compiled regular expression for rule matching: ECMAScript-like semantics over
// bytes, case-insensitive, run by an engine that keeps its backtracking on the heap
// and stops at a match limit, so no pattern or content can overflow the stack or
// run away.
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace quillvarden {

class RegexProgram {
public:
    enum class Outcome { Match, NoMatch, Error };

    // Null when the source does not compile.
    static std::shared_ptr<const RegexProgram> compile(std::string_view source);
    ~RegexProgram();
    RegexProgram(const RegexProgram&) = delete;
    RegexProgram& operator=(const RegexProgram&) = delete;

    // A match anywhere in the subject.
    Outcome search(std::string_view subject) const;
    // A match of the whole subject.
    Outcome matchWhole(std::string_view subject) const;

private:
    struct Impl;
    explicit RegexProgram(std::unique_ptr<Impl> impl);
    Outcome run(std::string_view subject, bool whole) const;
    std::unique_ptr<Impl> impl_;
};

}  // namespace quillvarden
