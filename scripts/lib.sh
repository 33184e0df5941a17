# Shared steps of scripts/demo and scripts/test. Sourced, not run.

PGBIN=/usr/lib/postgresql/15/bin
PACKAGES="cmake g++ make pkg-config qt6-base-dev libxlsxwriter-dev zlib1g-dev unixodbc-dev libqt6sql6-odbc
odbc-postgresql unixodbc postgresql-15 postgresql-client-15 fonts-liberation fonts-dejavu-core
poppler-utils xlsx2csv xvfb xauth iproute2 qt6-translations-l10n fonts-wine
libsqliteodbc"

say() { printf '==> %s\n' "$*"; }

ensure_packages() {
    local missing=()
    for p in $PACKAGES; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
    done
    if [ ${#missing[@]} -gt 0 ]; then
        say "installing: ${missing[*]}"
        # The package would otherwise create and start its own cluster on 5432.
        mkdir -p /etc/postgresql-common/createcluster.d
        echo 'create_main_cluster = false' > /etc/postgresql-common/createcluster.d/tabel-nomain.conf
        export DEBIAN_FRONTEND=noninteractive
        apt-get update -qq
        apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
    fi
    # The driver's communication log would litter /tmp from every process.
    if [ -f /etc/odbcinst.ini ]; then
        sed -i 's/^CommLog=1/CommLog=0/' /etc/odbcinst.ini
    fi
}

build() {
    local dir=$1
    say "building in $dir"
    cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    cmake --build "$dir" -j"$(nproc)"
}

port_busy() { # host port
    (exec 3<>"/dev/tcp/$1/$2") 2>/dev/null
}

# Starts a server as user postgres: pg_start DATADIR HOST [LOGFILE]
# Initialises DATADIR with the login sys/vbtkmsa when it is new.
pg_start() {
    local data=$1 host=$2 sock
    sock=$(dirname "$data")/sock
    mkdir -p "$sock"
    chown postgres: "$(dirname "$data")" "$sock"
    if [ ! -f "$data/PG_VERSION" ]; then
        local pw; pw=$(mktemp); echo vbtkmsa > "$pw"; chown postgres "$pw"
        runuser -u postgres -- "$PGBIN/initdb" -D "$data" -U sys --pwfile="$pw" -E UTF8 \
            --locale=C.UTF-8 -A scram-sha-256 >/dev/null
        rm -f "$pw"
    fi
    runuser -u postgres -- "$PGBIN/pg_ctl" -D "$data" -l "$(dirname "$data")/server.log" -w -t 60 \
        -o "-c listen_addresses=$host -p 5432 -k $sock ${PG_EXTRA_OPTS:-}" start >/dev/null
}

pg_stop() {
    runuser -u postgres -- "$PGBIN/pg_ctl" -D "$1" -m fast -w stop >/dev/null 2>&1 || true
}

psql_as_sys() { # host db args...
    local host=$1 db=$2; shift 2
    PGPASSWORD=vbtkmsa psql -X -q -v ON_ERROR_STOP=1 -h "$host" -p 5432 -U sys -d "$db" "$@"
}

# Starts the demo server (once) on 127.0.0.1:5432 and fills factorydb with
# demo data the first time.
demo_database() {
    DEMO_DIR=${TABEL_DEMO_DIR:-/var/lib/tabel-demo}
    mkdir -p "$DEMO_DIR"
    if ! runuser -u postgres -- "$PGBIN/pg_ctl" -D "$DEMO_DIR/data" status >/dev/null 2>&1; then
        if port_busy 127.0.0.1 5432; then
            echo "127.0.0.1:5432 is taken by another server; stop it first." >&2
            return 1
        fi
        say "starting the demo server on 127.0.0.1:5432 ($DEMO_DIR)"
        pg_start "$DEMO_DIR/data" 127.0.0.1
    fi
    if ! psql_as_sys 127.0.0.1 postgres -tAc "select 1 from pg_database where datname='factorydb'" | grep -q 1; then
        say "creating the demo database factorydb"
        psql_as_sys 127.0.0.1 postgres -c "create database factorydb"
        psql_as_sys 127.0.0.1 factorydb -f db/schema.sql >/dev/null
        psql_as_sys 127.0.0.1 factorydb -v months="${DEMO_MONTHS:-3}" -v workers="${DEMO_WORKERS:-40}" \
            -f db/demo.sql >/dev/null
    fi
}
