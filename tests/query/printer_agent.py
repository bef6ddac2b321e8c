#!/usr/bin/env python3
# The printer's objects for net-snmp's agent in the tests: a pass_persist handler
# over a table file of lines "OID TYPE VALUE" (types as the pass protocol names
# them: integer, gauge, counter, timeticks, ipaddress, objectid, string, octet).
# Every object is writable; a SET rewrites the table file. Each request is
# appended to a log file ("get OID", "getnext OID", "set OID TYPE VALUE"), so the
# tests see exactly which objects were asked.
import sys


def key(oid):
    return tuple(int(part) for part in oid.strip(".").split("."))


def load(path):
    table = {}
    with open(path) as f:
        for line in f:
            line = line.rstrip("\n")
            if not line.strip():
                continue
            oid, kind, value = (line.split(" ", 2) + [""])[:3]
            table[key(oid)] = (kind, value)
    return table


def save(path, table):
    with open(path, "w") as f:
        for oid in sorted(table):
            kind, value = table[oid]
            f.write(".".join(map(str, oid)) + " " + kind + " " + value + "\n")


def answer(oid, entry):
    kind, value = entry
    sys.stdout.write("." + ".".join(map(str, oid)) + "\n" + kind + "\n" + value + "\n")


def main():
    table_path, log_path = sys.argv[1], sys.argv[2]
    log = open(log_path, "a", buffering=1)
    while True:
        command = sys.stdin.readline()
        if not command:
            return
        command = command.strip()
        if not command:
            continue  # the agent ends a SET with an empty line
        if command == "PING":
            sys.stdout.write("PONG\n")
        elif command in ("get", "getnext"):
            oid = key(sys.stdin.readline().strip())
            log.write(command + " " + ".".join(map(str, oid)) + "\n")
            table = load(table_path)
            if command == "get":
                found = oid if oid in table else None
            else:
                later = [o for o in sorted(table) if o > oid]
                found = later[0] if later else None
            if found is None:
                sys.stdout.write("NONE\n")
            else:
                answer(found, table[found])
        elif command == "set":
            oid = key(sys.stdin.readline().strip())
            kind, _, value = sys.stdin.readline().strip().partition(" ")
            log.write("set " + ".".join(map(str, oid)) + " " + kind + " " + value + "\n")
            table = load(table_path)
            if kind == "string" and len(value) >= 2 and value[0] == '"' and value[-1] == '"':
                value = value[1:-1]
            table[oid] = (kind, value)
            save(table_path, table)
            sys.stdout.write("DONE\n")
        else:
            sys.stdout.write("NONE\n")
        sys.stdout.flush()


main()
