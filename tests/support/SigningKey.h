#pragma once
// A fresh Ed25519 key pair for one test, signing as the distributor's signing script does.

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

#include <memory>

struct evp_pkey_st;

namespace norvane::test {

class SigningKey {
public:
    SigningKey();
    QByteArray publicPem() const;
    // The 64-byte Ed25519 signature of exactly these bytes.
    QByteArray sign(const QByteArray& message) const;

private:
    std::shared_ptr<evp_pkey_st> m_key;
};

// The lines "<sha256 hex>  <name>\n" of the files, in the given order.
QByteArray manifestOf(const QList<QPair<QString, QByteArray>>& files);

} // namespace norvane::test
