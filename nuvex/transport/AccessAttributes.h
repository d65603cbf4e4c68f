#pragma once
// Security attributes for opening the pipe: the current user as owner, no access restriction.

#include <windows.h>

#include <memory>

class CAccessAttributes {
public:
    CAccessAttributes();
    CAccessAttributes(const CAccessAttributes&) = delete;
    CAccessAttributes& operator=(const CAccessAttributes&) = delete;

    SECURITY_ATTRIBUTES* Get() { return &m_attributes; }

private:
    void SetCurrentUserAsOwner();

    SECURITY_ATTRIBUTES m_attributes{};
    SECURITY_DESCRIPTOR m_descriptor{};
    std::unique_ptr<BYTE[]> m_ownerSid;
};
