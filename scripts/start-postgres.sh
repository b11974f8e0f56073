# Sourced by scripts/test.sh (or by hand: `source scripts/start-postgres.sh`).
#
# Starts a throwaway PostgreSQL 15 cluster in a temporary directory, on a
# free loopback port, and exports its connection for the tests:
#   LOMI_PG_HOST, LOMI_PG_PORT, LOMI_PG_USER, LOMI_PG_PASSWORD
# The role may create databases and roles. PG_CLEANUP holds the command that stops the
# server and removes the directory; test.sh runs it at exit. When no server
# can be started the variables stay unset and the database tests skip (or,
# under CI, fail).

lomi_start_postgres() {
    local bin=/usr/lib/postgresql/15/bin
    if [ ! -x "$bin/initdb" ] || [ ! -x "$bin/pg_ctl" ]; then
        echo "PostgreSQL 15 is not installed ($bin)." >&2
        return 1
    fi

    # initdb and the server refuse to run as root; CI runs as root.
    local dir owner="" run=()
    if [ "$(id -u)" -eq 0 ]; then
        owner=postgres
        getent passwd "$owner" >/dev/null || owner=nobody
        run=(runuser -u "$owner" --)
        # Not under $TMPDIR: root's may be closed to the server's user.
        dir="$(mktemp -d /tmp/lomi-pg.XXXXXX)" || return 1
        chown "$owner" "$dir" || return 1
    else
        dir="$(mktemp -d "${TMPDIR:-/tmp}/lomi-pg.XXXXXX")" || return 1
    fi

    local password
    password="$(od -An -N12 -tx1 /dev/urandom | tr -d ' \n')"

    # The superuser connects only through the socket in the private
    # directory; the tests' role signs in over TCP with its password.
    if ! "${run[@]}" "$bin/initdb" -D "$dir/data" -U postgres -E UTF8 --locale=C.UTF-8 \
            --auth-local=trust --auth-host=scram-sha-256 >"$dir/initdb.log" 2>&1; then
        echo "initdb failed:" >&2
        cat "$dir/initdb.log" >&2
        rm -rf "$dir"
        return 1
    fi

    # A port taken between choosing it and binding it makes the start fail;
    # another one is tried.
    local port="" attempt candidate
    for attempt in 1 2 3 4 5 6 7 8 9 10; do
        candidate=$((20000 + RANDOM % 40000))
        if "${run[@]}" "$bin/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 30 \
                -o "-c listen_addresses=127.0.0.1 -p $candidate -k $dir" start >/dev/null 2>&1; then
            port="$candidate"
            break
        fi
    done
    if [ -z "$port" ]; then
        echo "The PostgreSQL server did not start:" >&2
        cat "$dir/server.log" >&2 || true
        rm -rf "$dir"
        return 1
    fi

    PG_CLEANUP="$(printf '%q ' "${run[@]}" "$bin/pg_ctl" -D "$dir/data" -m immediate -w stop)"
    PG_CLEANUP+=">/dev/null 2>&1; rm -rf $(printf '%q' "$dir")"

    if ! "${run[@]}" "$bin/psql" -X -q -h "$dir" -p "$port" -U postgres -d postgres \
            -c "CREATE ROLE lomi LOGIN CREATEDB CREATEROLE PASSWORD '$password'" >/dev/null; then
        echo "Could not create the test role." >&2
        eval "$PG_CLEANUP"
        PG_CLEANUP=""
        return 1
    fi

    export LOMI_PG_HOST=127.0.0.1
    export LOMI_PG_PORT="$port"
    export LOMI_PG_USER=lomi
    export LOMI_PG_PASSWORD="$password"
    echo "PostgreSQL for the tests: $LOMI_PG_USER@$LOMI_PG_HOST:$LOMI_PG_PORT"
}

PG_CLEANUP=""
lomi_start_postgres || echo "Continuing without PostgreSQL: the database tests will not run." >&2
