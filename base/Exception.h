#pragma once

#include <stdexcept>
#include <string>

// A programming-contract failure: an abstract operation called, a second singleton, an engine
// precondition broken. It carries a name (the kind of failure) and a reason; what() is the
// reason. The program's top level logs an uncaught one and quits.
class ContractFailure : public std::logic_error {
public:
    ContractFailure(std::string name, const std::string& reason)
        : std::logic_error(reason), name_(std::move(name)) {}
    explicit ContractFailure(const std::string& reason)
        : ContractFailure("NSInternalInconsistencyException", reason) {}
    const std::string& name() const { return name_; }
    std::string reason() const { return what(); }

private:
    std::string name_;
};

// Engine precondition: throws a ContractFailure with the given message when `cond` is false.
inline void ccAssert(bool cond, const char* message) {
    if (!cond)
        throw ContractFailure(message);
}
