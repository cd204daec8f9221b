#!/bin/bash
# A real mail server on 127.0.0.1 port 25 for the end-to-end mail cases,
# installed from Debian when missing. OpenSMTPD and Postfix exclude each
# other as packages (installing one removes the other), so a case installs
# the one it needs; only one runs at a time. Mail to admin@example.com goes
# to /var/mail/admin.
#
#   bash scripts/mail-server.sh start opensmtpd|postfix
#   bash scripts/mail-server.sh start postfix-tls PKI_DIR
#   bash scripts/mail-server.sh stop opensmtpd|postfix
#
# postfix-tls takes mail for the submission cases besides port 25: 587
# with STARTTLS required (asking for a client certificate, which the
# program does not have) and 465 with TLS from the start, both with
# PKI_DIR/trusted.crt and .key, and 2587 like 587 with PKI_DIR/other.crt
# and .key; all three want AUTH (PLAIN or LOGIN, Cyrus SASL's sasldb) as
# taro, password secret. (OpenSMTPD 6.8 of Debian 12 cannot do TLS with
# OpenSSL 3: its key process fails every handshake with "EVP lib".)
set -eu
action=$1
server=$2
pki=${3:-}
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"

installed() {
  dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'
}

# Package scripts must not start (or stop) daemons: the cases do.
install_package() {
  installed "$1" && return 0
  if [ ! -f /usr/sbin/policy-rc.d ]; then
    printf '#!/bin/sh\nexit 101\n' | $sudo tee /usr/sbin/policy-rc.d >/dev/null
    $sudo chmod 755 /usr/sbin/policy-rc.d
  fi
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get install -y -q -o DPkg::Lock::Timeout=120 --no-install-recommends "$1" ||
    { $sudo apt-get update -qq && $sudo apt-get install -y -q -o DPkg::Lock::Timeout=120 --no-install-recommends "$1"; }
}

port_open() {
  (exec 3<>/dev/tcp/127.0.0.1/25) 2>/dev/null
}

wait_for_port() {
  for _ in $(seq 200); do
    port_open && return 0
    sleep 0.1
  done
  echo "$server did not open port 25" >&2
  exit 1
}

stop() {
  case $1 in
    opensmtpd)
      # Only the pid the file names, and only while it is smtpd's.
      pid=$(cat /run/smtpd.pid 2>/dev/null || true)
      if [ -n "$pid" ] && [ "$(cat /proc/"$pid"/comm 2>/dev/null)" = smtpd ]; then
        $sudo kill "$pid"
      fi
      ;;
    postfix | postfix-tls) installed postfix && $sudo postfix stop 2>/dev/null || true ;;
    # The mail server a Debian machine may come with. Installing either of
    # ours removes its package but, with daemons held back, not its process.
    exim4)
      pid=$(cat /run/exim4/exim.pid 2>/dev/null || true)
      if [ -n "$pid" ] && [ "$(cat /proc/"$pid"/comm 2>/dev/null)" = exim4 ]; then
        $sudo kill "$pid"
      fi
      ;;
  esac
}

wait_for_free_port() {
  for _ in $(seq 100); do
    port_open || return 0
    sleep 0.1
  done
  echo "port 25 is still held after stopping $1:" >&2
  ss -ltnp 'sport = :25' >&2 2>/dev/null || true
  exit 1
}

start() {
  # One left running by an interrupted test run goes first.
  stop opensmtpd
  stop postfix
  stop exim4
  wait_for_free_port "the mail servers"
  install_package "${server%-tls}"
  id admin >/dev/null 2>&1 || $sudo useradd -m admin
  case $server in
    opensmtpd)
      $sudo tee /etc/smtpd.conf >/dev/null <<'CONF'
table aliases file:/etc/aliases
listen on 127.0.0.1 port 25
action "local" mbox alias <aliases>
match from any for domain "example.com" action "local"
match from local for local action "local"
CONF
      $sudo smtpd -n
      $sudo smtpd
      ;;
    postfix-tls)
      [ -d "$pki" ] || { echo "no PKI folder: $pki" >&2; exit 2; }
      install_package libsasl2-modules
      install_package sasl2-bin
      chmod 600 "$pki"/*.key
      $sudo install -d /etc/postfix/sasl
      printf 'pwcheck_method: auxprop\nauxprop_plugin: sasldb\nmech_list: PLAIN LOGIN\nsasldb_path: /etc/sasldb2\n' |
        $sudo tee /etc/postfix/sasl/smtpd.conf >/dev/null
      echo secret | $sudo saslpasswd2 -p -c -f /etc/sasldb2 -u zeltrand.test taro
      $sudo chown root:postfix /etc/sasldb2
      $sudo chmod 640 /etc/sasldb2
      $sudo postconf -e 'mydestination = example.com, $myhostname, localhost' \
        'inet_interfaces = loopback-only' 'inet_protocols = ipv4' \
        'maillog_file = /var/log/postfix.log' "smtpd_tls_cert_file = $pki/trusted.crt" \
        "smtpd_tls_key_file = $pki/trusted.key" 'smtpd_sasl_type = cyrus' \
        'smtpd_sasl_path = smtpd' 'smtpd_sasl_local_domain = zeltrand.test' \
        'cyrus_sasl_config_path = /etc/postfix/sasl' 'smtpd_tls_loglevel = 1'
      # Not chrooted, so that they reach /etc/sasldb2.
      local common='-o smtpd_sasl_auth_enable=yes -o smtpd_tls_auth_only=yes'
      common="$common -o smtpd_recipient_restrictions=permit_sasl_authenticated,reject"
      # 587 asks for a client certificate, as some receive connectors do.
      $sudo postconf -M "submission/inet=submission inet n - n - - smtpd -o smtpd_tls_security_level=encrypt -o smtpd_tls_ask_ccert=yes $common" \
        "smtps/inet=smtps inet n - n - - smtpd -o smtpd_tls_wrappermode=yes $common" \
        "2587/inet=2587 inet n - n - - smtpd -o smtpd_tls_security_level=encrypt $common -o smtpd_tls_cert_file=$pki/other.crt -o smtpd_tls_key_file=$pki/other.key"
      $sudo postfix start
      ;;
    postfix)
      # What a postfix-tls start added goes again.
      $sudo postconf -X smtpd_tls_cert_file smtpd_tls_key_file smtpd_sasl_type 2>/dev/null || true
      $sudo postconf -MX submission/inet smtps/inet 2587/inet 2>/dev/null || true
      $sudo postconf -e 'mydestination = example.com, $myhostname, localhost' \
        'inet_interfaces = loopback-only' 'inet_protocols = ipv4' \
        'maillog_file = /var/log/postfix.log'
      $sudo postfix start
      ;;
  esac
  wait_for_port
}

case $action in
  start) start ;;
  stop)
    stop "$server"
    wait_for_free_port "$server"
    ;;
  *) echo "usage: $0 start|stop opensmtpd|postfix|postfix-tls" >&2; exit 2 ;;
esac
