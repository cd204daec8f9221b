#!/bin/bash
# An OCS Inventory NG server on 127.0.0.1 port 80 for the end-to-end server
# cases and the benchmark: MariaDB, Apache with mod_perl and Debian's
# ocsinventory-server, with the database schema taken out of the
# ocsinventory-reports package (its web console is not needed). Installed
# when missing; nothing listens beyond loopback. Inventories are posted to
# http://127.0.0.1/ocsinventory and land in the database ocsweb.
#
#   bash scripts/ocs-server.sh start|stop|restart
#   bash scripts/ocs-server.sh sql 'SELECT ...'     (tab-separated rows)
#   bash scripts/ocs-server.sh reset                (no computers)
#   bash scripts/ocs-server.sh tls DIR              (https too, from DIR's certificates)
#
# After tls, Apache serves the same server three more ways, each logged
# with its user in /var/log/apache2/access.log:
#   https://127.0.0.1/ocsinventory       DIR/trusted.crt, account needed
#   https://127.0.0.1:8443/ocsinventory  DIR/other.crt (a CA nobody trusts)
#   http://127.0.0.1:8080/ocsinventory   account needed
# The account (HTTP Basic) is the user "zeltrand" with the password "p@ss:w0rd".
set -eu
action=$1
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
packages="mariadb-server apache2 libapache2-mod-perl2 ocsinventory-server libxml-parser-perl"
schema=/var/lib/zeltrand-ocs/ocsbase.sql

installed() {
  dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'
}

apt_install() {
  export DEBIAN_FRONTEND=noninteractive
  # shellcheck disable=SC2086
  $sudo apt-get install -y -q -o DPkg::Lock::Timeout=300 --no-install-recommends $* ||
    { $sudo apt-get update -qq &&
      $sudo apt-get install -y -q -o DPkg::Lock::Timeout=300 --no-install-recommends $*; }
}

# Package scripts must not start daemons: this script does.
install_packages() {
  missing=""
  for p in $packages; do installed "$p" || missing="$missing $p"; done
  if [ -n "$missing" ]; then
    if [ ! -f /usr/sbin/policy-rc.d ]; then
      printf '#!/bin/sh\nexit 101\n' | $sudo tee /usr/sbin/policy-rc.d >/dev/null
      $sudo chmod 755 /usr/sbin/policy-rc.d
    fi
    apt_install "$missing"
  fi
  if [ ! -s "$schema" ]; then
    tmp=$(mktemp -d)
    (cd "$tmp" && apt-get download -q ocsinventory-reports 2>/dev/null ||
      { $sudo apt-get update -qq && apt-get download -q ocsinventory-reports; })
    $sudo mkdir -p "$(dirname "$schema")"
    dpkg-deb --fsys-tarfile "$tmp"/ocsinventory-reports_*.deb |
      tar -xO ./usr/share/ocsinventory-reports/files/ocsbase_new.sql | $sudo tee "$schema" >/dev/null
    rm -rf "$tmp"
  fi
}

port_open() {
  (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null
}

wait_for() {  # port, open|closed
  for _ in $(seq 300); do
    if port_open "$1"; then [ "$2" = open ] && return 0; else [ "$2" = closed ] && return 0; fi
    sleep 0.1
  done
  echo "port $1 did not become $2" >&2
  exit 1
}

sql() {
  $sudo mariadb --batch --skip-column-names ocsweb -e "$1"
}

start_database() {
  $sudo tee /etc/mysql/mariadb.conf.d/99-zeltrand.cnf >/dev/null <<'CNF'
[mysqld]
bind-address = 127.0.0.1
# A test database: a commit need not wait for the disk.
innodb_flush_log_at_trx_commit = 2
CNF
  port_open 3306 || $sudo /etc/init.d/mariadb start >/dev/null
  wait_for 3306 open
  $sudo mariadb -e "CREATE DATABASE IF NOT EXISTS ocsweb;
    CREATE USER IF NOT EXISTS 'ocs'@'localhost' IDENTIFIED BY 'ocs';
    GRANT ALL PRIVILEGES ON ocsweb.* TO 'ocs'@'localhost';"
  [ -n "$(sql "SHOW TABLES LIKE 'hardware'")" ] || $sudo mariadb ocsweb <"$schema"
}

start_web() {
  echo 'Listen 127.0.0.1:80' | $sudo tee /etc/apache2/ports.conf >/dev/null
  echo 'ServerName 127.0.0.1' | $sudo tee /etc/apache2/conf-enabled/zeltrand-servername.conf >/dev/null
  $sudo a2enmod -q perl >/dev/null
  $sudo a2enconf -q ocsinventory-server >/dev/null
  # The REST interface's configuration comes with placeholders unfilled.
  $sudo a2disconf -q ocsinventory-restapi >/dev/null 2>&1 || true
  $sudo mkdir -p /var/log/ocsinventory-server
  # Debian's configuration trusts 127.0.0.1, and a trusted address skips the
  # server's checks (an inventory without a PROLOG among them): the PCs here
  # come from loopback, so nothing is trusted. The program's name goes into
  # the list of agents the server answers a PROLOG for, as the README says.
  conf=/etc/apache2/conf-available/ocsinventory-server.conf
  if grep -q '^ *PerlAddVar OCS_OPT_TRUSTED_IP 127.0.0.1' "$conf"; then
    $sudo sed -i 's/^\( *\)PerlAddVar OCS_OPT_TRUSTED_IP 127.0.0.1/\1#PerlAddVar OCS_OPT_TRUSTED_IP 127.0.0.1/' "$conf"
    if port_open 80; then $sudo apache2ctl stop || true; wait_for 80 closed; fi
  fi
  agents=/etc/ocsinventory/extra_useragents
  grep -qx 'Zeltrand_WINDOWS_v0.90' "$agents" || echo 'Zeltrand_WINDOWS_v0.90' | $sudo tee -a "$agents" >/dev/null
  port_open 80 || $sudo apache2ctl start
  wait_for 80 open
}

tls() {
  dir=/var/lib/zeltrand-ocs/tls
  $sudo mkdir -p "$dir"
  for f in trusted.crt trusted.key other.crt other.key; do $sudo cp "$1/$f" "$dir/$f"; done
  $sudo htpasswd -bc "$dir/accounts" zeltrand 'p@ss:w0rd' 2>/dev/null
  $sudo tee /etc/apache2/sites-available/zeltrand-tls.conf >/dev/null <<CONF
Listen 127.0.0.1:443
Listen 127.0.0.1:8443
Listen 127.0.0.1:8080
<Macro ZeltrandAccount>
  <Location /ocsinventory>
    AuthType Basic
    AuthName "Zeltrand test"
    AuthUserFile $dir/accounts
    Require valid-user
  </Location>
</Macro>
<VirtualHost 127.0.0.1:443>
  SSLEngine on
  SSLCertificateFile $dir/trusted.crt
  SSLCertificateKeyFile $dir/trusted.key
  CustomLog \${APACHE_LOG_DIR}/access.log combined
  Use ZeltrandAccount
</VirtualHost>
<VirtualHost 127.0.0.1:8443>
  SSLEngine on
  SSLCertificateFile $dir/other.crt
  SSLCertificateKeyFile $dir/other.key
  CustomLog \${APACHE_LOG_DIR}/access.log combined
</VirtualHost>
<VirtualHost 127.0.0.1:8080>
  CustomLog \${APACHE_LOG_DIR}/access.log combined
  Use ZeltrandAccount
</VirtualHost>
CONF
  $sudo a2enmod -q ssl auth_basic authn_file macro >/dev/null
  $sudo a2ensite -q zeltrand-tls >/dev/null
  stop
  start_web
  for port in 443 8443 8080; do wait_for $port open; done
}

stop() {
  if installed apache2 && port_open 80; then $sudo apache2ctl stop || true; fi
  wait_for 80 closed
}

case $action in
  start)
    install_packages
    start_database
    start_web
    ;;
  stop) stop ;;
  restart)
    stop
    start_web
    ;;
  sql) sql "$2" ;;
  tls) tls "$2" ;;
  # The computers and what an inventory of Zeltrand's fills in for them.
  reset)
    for t in hardware accountinfo software drives networks printers cpus bios prolog_conntrack; do
      sql "DELETE FROM $t"
    done
    # The server's settings as Debian's configuration has them.
    sql "UPDATE config SET IVALUE=0 WHERE NAME='FREQUENCY';
      DELETE FROM config WHERE NAME='INVENTORY_SESSION_ONLY'"
    ;;
  *) echo "usage: $0 start|stop|restart|sql QUERY|reset|tls DIR" >&2; exit 2 ;;
esac
