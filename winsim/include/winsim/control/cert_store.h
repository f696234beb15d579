// The machine's system certificate stores (CertOpenStore with CERT_SYSTEM_STORE_LOCAL_MACHINE),
// each a list of DER certificates. The simulated crypt32 reads a certificate's outline, its
// extensions, basic constraints and enhanced key usage from the DER itself, and computes its
// SHA-1 hash; it checks no signature and no validity period. Every call can be made to fail
// with FailCall, "CertAddEncodedCertificateToStore" on its Nth call among them.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace winsim {

// The certificates of the machine's store `name` ("Root", "TrustedPublisher", letters in any
// case), each as its DER, in the order they were added; none after Reset.
std::vector<std::string> MachineCertificates(std::string_view name);
// Puts `der` into the machine's store `name`, as an administrator's import would.
void AddMachineCertificate(std::string_view name, std::string_view der);
// The SHA-1 hash of `der` as Windows shows a thumbprint: 40 hexadecimal digits in capitals.
std::string Thumbprint(std::string_view der);

}  // namespace winsim
