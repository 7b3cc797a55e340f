#include "simulator/src/SelfSignedCert.h"

#include <openssl/bn.h>
#include <openssl/err.h>
#include <openssl/pem.h>
#include <openssl/rsa.h>
#include <openssl/x509v3.h>

#include <cstdio>

namespace sim {
namespace {

std::string OpenSslError(const std::string& what) {
  unsigned long code = ERR_get_error();
  char text[256] = "no detail";
  if (code != 0) ERR_error_string_n(code, text, sizeof text);
  ERR_clear_error();
  return what + ": " + text;
}

bool AddExtension(X509* cert, int nid, const char* value) {
  X509V3_CTX ctx;
  X509V3_set_ctx_nodb(&ctx);
  X509V3_set_ctx(&ctx, cert, cert, nullptr, nullptr, 0);
  X509_EXTENSION* ext = X509V3_EXT_conf_nid(nullptr, &ctx, nid, value);
  if (!ext) return false;
  bool ok = X509_add_ext(cert, ext, -1) == 1;
  X509_EXTENSION_free(ext);
  return ok;
}

// Encrypted keys are refused instead of prompting on the terminal.
int NoPassphrase(char*, int, int, void*) { return 0; }

bool RandomSerial(X509* cert) {
  std::unique_ptr<BIGNUM, decltype(&BN_free)> serial(BN_new(), BN_free);
  return serial && BN_rand(serial.get(), 63, BN_RAND_TOP_ANY, BN_RAND_BOTTOM_ANY) == 1 &&
         BN_to_ASN1_INTEGER(serial.get(), X509_get_serialNumber(cert)) != nullptr;
}

}  // namespace

bool MakeSelfSignedIdentity(TlsIdentity* out, std::string* error) {
  std::unique_ptr<EVP_PKEY, PkeyFree> key(EVP_RSA_gen(2048));
  if (!key) {
    *error = OpenSslError("generating the RSA key failed");
    return false;
  }
  std::unique_ptr<X509, X509Free> cert(X509_new());
  if (!cert || X509_set_version(cert.get(), 2) != 1 || !RandomSerial(cert.get()) ||
      !X509_gmtime_adj(X509_getm_notBefore(cert.get()), -24L * 3600) ||
      !X509_gmtime_adj(X509_getm_notAfter(cert.get()), 365L * 24 * 3600) ||
      X509_set_pubkey(cert.get(), key.get()) != 1) {
    *error = OpenSslError("preparing the certificate failed");
    return false;
  }
  X509_NAME* name = X509_get_subject_name(cert.get());
  const auto* cn = reinterpret_cast<const unsigned char*>("zandor-sim");
  const auto* org = reinterpret_cast<const unsigned char*>("Zandor server simulator");
  if (X509_NAME_add_entry_by_txt(name, "O", MBSTRING_ASC, org, -1, -1, 0) != 1 ||
      X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC, cn, -1, -1, 0) != 1 ||
      X509_set_issuer_name(cert.get(), name) != 1 ||
      !AddExtension(cert.get(), NID_basic_constraints, "critical,CA:FALSE") ||
      !AddExtension(cert.get(), NID_key_usage, "critical,digitalSignature,keyEncipherment") ||
      !AddExtension(cert.get(), NID_ext_key_usage, "serverAuth") ||
      !AddExtension(cert.get(), NID_subject_alt_name, "DNS:localhost,IP:127.0.0.1")) {
    *error = OpenSslError("filling in the certificate failed");
    return false;
  }
  if (X509_sign(cert.get(), key.get(), EVP_sha256()) <= 0) {
    *error = OpenSslError("signing the certificate failed");
    return false;
  }
  out->cert = std::move(cert);
  out->key = std::move(key);
  return true;
}

bool LoadIdentity(const std::string& certFile, const std::string& keyFile, TlsIdentity* out, std::string* error) {
  std::unique_ptr<FILE, decltype(&fclose)> certIn(fopen(certFile.c_str(), "rb"), fclose);
  if (!certIn) {
    *error = "cannot open certificate file '" + certFile + "'";
    return false;
  }
  std::unique_ptr<X509, X509Free> cert(PEM_read_X509(certIn.get(), nullptr, nullptr, nullptr));
  if (!cert) {
    *error = OpenSslError("'" + certFile + "' holds no PEM certificate");
    return false;
  }
  std::unique_ptr<FILE, decltype(&fclose)> keyIn(fopen(keyFile.c_str(), "rb"), fclose);
  if (!keyIn) {
    *error = "cannot open key file '" + keyFile + "'";
    return false;
  }
  std::unique_ptr<EVP_PKEY, PkeyFree> key(PEM_read_PrivateKey(keyIn.get(), nullptr, NoPassphrase, nullptr));
  if (!key) {
    *error = OpenSslError("'" + keyFile + "' holds no unencrypted PEM private key");
    return false;
  }
  if (X509_check_private_key(cert.get(), key.get()) != 1) {
    *error = OpenSslError("the key in '" + keyFile + "' does not belong to the certificate");
    return false;
  }
  out->cert = std::move(cert);
  out->key = std::move(key);
  return true;
}

std::string Sha256Fingerprint(X509* cert) {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  if (X509_digest(cert, EVP_sha256(), digest, &length) != 1) return std::string();
  static const char kHex[] = "0123456789abcdef";
  std::string hex;
  for (unsigned int i = 0; i < length; ++i) {
    hex += kHex[digest[i] >> 4];
    hex += kHex[digest[i] & 15];
  }
  return hex;
}

}  // namespace sim
