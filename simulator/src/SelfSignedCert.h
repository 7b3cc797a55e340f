#pragma once
// The TLS identity of the service: a certificate made at start, or one read from files.

#include <memory>
#include <string>

#include <openssl/evp.h>
#include <openssl/x509.h>

namespace sim {

struct X509Free {
  void operator()(X509* p) const { X509_free(p); }
};
struct PkeyFree {
  void operator()(EVP_PKEY* p) const { EVP_PKEY_free(p); }
};

struct TlsIdentity {
  std::unique_ptr<X509, X509Free> cert;
  std::unique_ptr<EVP_PKEY, PkeyFree> key;
};

// RSA 2048, CN "zandor-sim", names localhost and 127.0.0.1, valid from yesterday for a year.
bool MakeSelfSignedIdentity(TlsIdentity* out, std::string* error);
// PEM files; the key must belong to the certificate.
bool LoadIdentity(const std::string& certFile, const std::string& keyFile, TlsIdentity* out, std::string* error);
// Lower-case hex SHA-256 of the DER certificate (what a client computes as the thumbprint).
std::string Sha256Fingerprint(X509* cert);

}  // namespace sim
