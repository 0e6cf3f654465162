// Adds a certificate authority to the Root store of the local machine, so that
// TLS servers it signed are trusted by WinHTTP inside this Wine prefix (and only
// there). Meant for the throw-away authority of make_test_certs.sh.
//
//   trust_test_ca.exe Z:/path/to/ca.der      (DER, or PEM with BEGIN CERTIFICATE)
//
// Exits 0 when the certificate is in the store afterwards, 1 otherwise.
#include <windows.h>
#include <shellapi.h>
#include <wincrypt.h>

#include <cstdio>
#include <vector>

#include "text/scoped_win.h"

namespace {

using qingqu::ScopedCertStore;
using qingqu::ScopedHandle;

std::vector<BYTE> ReadWholeFile(const wchar_t* path) {
    ScopedHandle file(CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size;
    if (!file.IsValid() || !GetFileSizeEx(file.Get(), &size) || size.QuadPart > (1 << 20))
        return {};
    std::vector<BYTE> bytes(static_cast<std::size_t>(size.QuadPart));
    DWORD read = 0;
    if (!ReadFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) ||
        read != bytes.size())
        return {};
    return bytes;
}

// DER as it is; PEM decoded from its base64 body.
std::vector<BYTE> ToDer(const std::vector<BYTE>& bytes) {
    if (bytes.empty() || bytes[0] == 0x30) return bytes;
    DWORD size = 0;
    const auto* text = reinterpret_cast<const char*>(bytes.data());
    const DWORD length = static_cast<DWORD>(bytes.size());
    if (!CryptStringToBinaryA(text, length, CRYPT_STRING_BASE64HEADER, nullptr, &size, nullptr,
                              nullptr))
        return {};
    std::vector<BYTE> der(size);
    if (!CryptStringToBinaryA(text, length, CRYPT_STRING_BASE64HEADER, der.data(), &size, nullptr,
                              nullptr))
        return {};
    der.resize(size);
    return der;
}

}  // namespace

int main() {
    int count = 0;
    wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    if (arguments == nullptr || count != 2) {
        std::fprintf(stderr, "usage: trust_test_ca.exe CERTIFICATE_FILE\n");
        return 1;
    }
    const std::vector<BYTE> der = ToDer(ReadWholeFile(arguments[1]));
    LocalFree(arguments);
    if (der.empty()) {
        std::fprintf(stderr, "cannot read the certificate\n");
        return 1;
    }
    ScopedCertStore root(
        CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0, CERT_SYSTEM_STORE_LOCAL_MACHINE, L"Root"));
    if (!root.IsValid() ||
        !CertAddEncodedCertificateToStore(root.Get(), X509_ASN_ENCODING, der.data(),
                                          static_cast<DWORD>(der.size()),
                                          CERT_STORE_ADD_REPLACE_EXISTING, nullptr)) {
        std::fprintf(stderr, "cannot add the certificate: error %lu\n", GetLastError());
        return 1;
    }
    return 0;
}
