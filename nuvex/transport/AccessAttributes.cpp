#include "nuvex/transport/AccessAttributes.h"

#include <new>

CAccessAttributes::CAccessAttributes() {
    InitializeSecurityDescriptor(&m_descriptor, SECURITY_DESCRIPTOR_REVISION);
    SetCurrentUserAsOwner();
    SetSecurityDescriptorDacl(&m_descriptor, TRUE, nullptr, FALSE);
    m_attributes.nLength = sizeof(m_attributes);
    m_attributes.lpSecurityDescriptor = &m_descriptor;
    m_attributes.bInheritHandle = FALSE;
}

void CAccessAttributes::SetCurrentUserAsOwner() {
    wchar_t user[257] = {};
    DWORD userLength = 256;
    if (!GetUserNameW(user, &userLength))
        return;
    DWORD sidSize = 0;
    DWORD domainLength = 0;
    SID_NAME_USE use = SidTypeUnknown;
    LookupAccountNameW(nullptr, user, nullptr, &sidSize, nullptr, &domainLength, &use);
    if (sidSize == 0)
        return;
    std::unique_ptr<BYTE[]> sid(new (std::nothrow) BYTE[sidSize]());
    std::unique_ptr<wchar_t[]> domain(new (std::nothrow) wchar_t[domainLength + 1]());
    if (!sid || !domain)
        return;
    if (!LookupAccountNameW(nullptr, user, sid.get(), &sidSize, domain.get(), &domainLength, &use))
        return;
    if (SetSecurityDescriptorOwner(&m_descriptor, sid.get(), FALSE))
        m_ownerSid = std::move(sid);
}
