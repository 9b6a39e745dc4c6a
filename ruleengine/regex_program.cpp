#include "ruleengine/regex_program.h"

#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

namespace quillvarden {
namespace {

// Backtracking steps one search may take: ample for real expressions over the
// 64 KiB window, and a bound on what hostile content can cost.
constexpr uint32_t kMatchLimit = 2'000'000;

// Byte-oriented ECMAScript behaviour: \u escapes, unset back-references match
// empty, [] matches nothing, $ only at the very end.
constexpr uint32_t kCompileOptions = PCRE2_CASELESS | PCRE2_ALT_BSUX | PCRE2_MATCH_UNSET_BACKREF |
                                     PCRE2_ALLOW_EMPTY_CLASS | PCRE2_DOLLAR_ENDONLY | PCRE2_NEVER_UTF |
                                     PCRE2_NEVER_BACKSLASH_C;

}  // namespace

struct RegexProgram::Impl {
    pcre2_code* code = nullptr;
    pcre2_match_context* context = nullptr;

    ~Impl() {
        pcre2_match_context_free(context);
        pcre2_code_free(code);
    }
};

RegexProgram::RegexProgram(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
RegexProgram::~RegexProgram() = default;

std::shared_ptr<const RegexProgram> RegexProgram::compile(std::string_view source) {
    auto impl = std::make_unique<Impl>();
    pcre2_compile_context* compileContext = pcre2_compile_context_create(nullptr);
    if (!compileContext) return nullptr;
    // '.' stops at CR as well as LF, as in ECMAScript.
    pcre2_set_newline(compileContext, PCRE2_NEWLINE_ANYCRLF);
    int error = 0;
    PCRE2_SIZE offset = 0;
    impl->code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(source.data()), source.size(), kCompileOptions, &error,
                               &offset, compileContext);
    pcre2_compile_context_free(compileContext);
    if (!impl->code) return nullptr;
    impl->context = pcre2_match_context_create(nullptr);
    if (!impl->context) return nullptr;
    pcre2_set_match_limit(impl->context, kMatchLimit);
    pcre2_jit_compile(impl->code, PCRE2_JIT_COMPLETE);  // where it fails, the interpreter runs
    return std::shared_ptr<const RegexProgram>(new RegexProgram(std::move(impl)));
}

RegexProgram::Outcome RegexProgram::search(std::string_view subject) const { return run(subject, false); }

RegexProgram::Outcome RegexProgram::matchWhole(std::string_view subject) const { return run(subject, true); }

RegexProgram::Outcome RegexProgram::run(std::string_view subject, bool whole) const {
    pcre2_match_data* data = pcre2_match_data_create_from_pattern(impl_->code, nullptr);
    if (!data) return Outcome::Error;
    // Anchored matching is not JIT material; pcre2_match then takes the interpreter.
    const uint32_t options = whole ? (PCRE2_ANCHORED | PCRE2_ENDANCHORED) : 0;
    const int result = pcre2_match(impl_->code, reinterpret_cast<PCRE2_SPTR>(subject.data()), subject.size(), 0,
                                   options, data, impl_->context);
    pcre2_match_data_free(data);
    if (result >= 0) return Outcome::Match;
    return result == PCRE2_ERROR_NOMATCH ? Outcome::NoMatch : Outcome::Error;
}

}  // namespace quillvarden
