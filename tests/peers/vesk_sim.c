/* A Vesk device for the transfer tests, on libmodbus, at the default register map:
 * the identification text at register word 0x0E78, parameter set 1 from register 2177,
 * parameter set 2 from register 2433, and the events register as pages of 125
 * registers, one page for each register number from 4001 to 4032; a page past the
 * events data answers with an exception. Writes are stored; after each write request,
 * before it is answered, all 65,536 holding registers go to the dump file (big-endian,
 * written whole and renamed into place). The dump is written once at start too.
 *
 *   vesk_sim (--rtu DEVICE | --tcp [--port N] [--late]) --dump FILE [--address N]
 *            [--ident TEXT] [--parset1 FILE] [--parset2 FILE] [--events FILE]
 *
 * --late: a gateway that hands over a late answer: on each connection, before it answers
 * the first request, it sends there the answer to the request of the connection before,
 * under that request's transaction identifier.
 *
 * Parameter-set files hold register words as the device sends them (big-endian).
 * Prints "READY" (RTU) or "PORT <n>" (TCP on 127.0.0.1, at --port or else a free port
 * the system picks) once it serves; runs until killed or, over RTU, until the line goes
 * away.
 */
#include <arpa/inet.h>
#include <errno.h>
#include <modbus.h>
#include <netinet/in.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/socket.h>
#include <unistd.h>

#define REGISTERS 0x10000
#define IDENT_FIELD 0x0E78
#define IDENT_COUNT 8
#define PARSET1_FIELD 2176
#define PARSET2_FIELD 2432
#define EVENTS_FIRST_FIELD 4000
#define EVENTS_LAST_FIELD 4031
#define PAGE_REGISTERS 125
#define PAGE_BYTES (2 * PAGE_REGISTERS)
#define MAX_EVENTS (PAGE_BYTES * (EVENTS_LAST_FIELD - EVENTS_FIRST_FIELD + 1))

static uint8_t events[MAX_EVENTS];
static size_t events_length = 0;
static const char* dump_path = NULL;

static size_t read_file(const char* path, uint8_t* buffer, size_t capacity) {
    FILE* f = fopen(path, "rb");
    if (f == NULL) {
        perror(path);
        exit(2);
    }
    size_t n = fread(buffer, 1, capacity, f);
    fclose(f);
    return n;
}

static void load_words(modbus_mapping_t* map, int field, const char* path) {
    uint8_t bytes[512];
    size_t n = read_file(path, bytes, sizeof bytes);
    for (size_t i = 0; i + 1 < n; i += 2)
        map->tab_registers[field + (int)(i / 2)] = (uint16_t)(bytes[i] << 8 | bytes[i + 1]);
}

static void dump(const modbus_mapping_t* map) {
    char tmp[4096];
    snprintf(tmp, sizeof tmp, "%s.tmp", dump_path);
    FILE* f = fopen(tmp, "wb");
    if (f == NULL) {
        perror(tmp);
        exit(2);
    }
    for (int i = 0; i < map->nb_registers; ++i) {
        const uint8_t word[2] = {(uint8_t)(map->tab_registers[i] >> 8), (uint8_t)map->tab_registers[i]};
        fwrite(word, 1, 2, f);
    }
    if (fclose(f) != 0 || rename(tmp, dump_path) != 0) {
        perror(dump_path);
        exit(2);
    }
}

/* Stores a write of multiple registers itself, so the dump is on disk before the
 * answer leaves; modbus_reply then stores the same words again and answers. */
static void store_write(modbus_mapping_t* map, const uint8_t* pdu) {
    const int field = pdu[1] << 8 | pdu[2];
    const int count = pdu[3] << 8 | pdu[4];
    if (count < 1 || count > MODBUS_MAX_WRITE_REGISTERS || field + count > REGISTERS || pdu[5] != 2 * count)
        return;
    for (int i = 0; i < count; ++i)
        map->tab_registers[field + i] = (uint16_t)(pdu[6 + 2 * i] << 8 | pdu[7 + 2 * i]);
    dump(map);
}

static void serve(modbus_t* ctx, const uint8_t* query, int length, modbus_mapping_t* map,
                  modbus_mapping_t* pages) {
    const uint8_t* pdu = query + modbus_get_header_length(ctx);
    const int field = pdu[1] << 8 | pdu[2];
    if (pdu[0] == MODBUS_FC_READ_HOLDING_REGISTERS && field >= EVENTS_FIRST_FIELD &&
        field <= EVENTS_LAST_FIELD) {
        const size_t page = (size_t)(field - EVENTS_FIRST_FIELD);
        if (page * PAGE_BYTES >= events_length) {
            modbus_reply_exception(ctx, query, MODBUS_EXCEPTION_ILLEGAL_DATA_ADDRESS);
            return;
        }
        /* A short last page is padded with zeros. */
        for (size_t i = 0; i < PAGE_REGISTERS; ++i) {
            const size_t at = page * PAGE_BYTES + 2 * i;
            const uint8_t hi = at < events_length ? events[at] : 0;
            const uint8_t lo = at + 1 < events_length ? events[at + 1] : 0;
            pages->tab_registers[field + (int)i] = (uint16_t)(hi << 8 | lo);
        }
        modbus_reply(ctx, query, length, pages);
        return;
    }
    if (pdu[0] == MODBUS_FC_WRITE_MULTIPLE_REGISTERS) store_write(map, pdu);
    modbus_reply(ctx, query, length, map);
}

static const char usage[] =
    "usage: vesk_sim (--rtu DEVICE | --tcp [--port N] [--late]) --dump FILE [--address N]\n"
    "                [--ident TEXT] [--parset1 FILE] [--parset2 FILE] [--events FILE]\n"
    "A Vesk device at the default register map.\n"
    "  --rtu DEVICE     a Modbus RTU slave on the serial device DEVICE, 115200 baud, 8N1\n"
    "  --tcp            a Modbus TCP server on 127.0.0.1\n"
    "  --port N         its port; 0 (the default) lets the system pick a free one\n"
    "  --late           as a gateway that hands over late answers: on each connection,\n"
    "                   the answer to the previous connection's last request comes first\n"
    "  --dump FILE      all 65,536 holding registers, high byte first, written at start\n"
    "                   and after each write request\n"
    "  --address N      the RTU slave address (31)\n"
    "  --ident TEXT     the identification text (16 characters at most)\n"
    "  --parset1 FILE   parameter set 1 as register words, high byte first\n"
    "  --parset2 FILE   parameter set 2 likewise\n"
    "  --events FILE    the events buffer, newest record first\n"
    "Prints \"READY\" (RTU) or \"PORT n\" (TCP) once it serves; runs until killed or, over\n"
    "RTU, until the line goes away.\n";

int main(int argc, char** argv) {
    const char *rtu = NULL, *ident = "", *parset1 = NULL, *parset2 = NULL, *events_file = NULL;
    int tcp = 0, late = 0, address = 31, port = 0;
    for (int i = 1; i < argc; ++i) {
        const int more = i + 1 < argc;
        if (strcmp(argv[i], "--help") == 0 || strcmp(argv[i], "-h") == 0) {
            fputs(usage, stdout);
            return 0;
        }
        if (strcmp(argv[i], "--tcp") == 0)
            tcp = 1;
        else if (strcmp(argv[i], "--late") == 0)
            late = 1;
        else if (strcmp(argv[i], "--rtu") == 0 && more)
            rtu = argv[++i];
        else if (strcmp(argv[i], "--dump") == 0 && more)
            dump_path = argv[++i];
        else if (strcmp(argv[i], "--port") == 0 && more)
            port = atoi(argv[++i]);
        else if (strcmp(argv[i], "--address") == 0 && more)
            address = atoi(argv[++i]);
        else if (strcmp(argv[i], "--ident") == 0 && more)
            ident = argv[++i];
        else if (strcmp(argv[i], "--parset1") == 0 && more)
            parset1 = argv[++i];
        else if (strcmp(argv[i], "--parset2") == 0 && more)
            parset2 = argv[++i];
        else if (strcmp(argv[i], "--events") == 0 && more)
            events_file = argv[++i];
        else {
            fprintf(stderr, "vesk_sim: unknown argument %s (--help tells the usage)\n", argv[i]);
            return 2;
        }
    }
    if ((rtu == NULL) == !tcp || dump_path == NULL || port < 0 || port > 65535) {
        fputs(usage, stderr);
        return 2;
    }

    modbus_mapping_t* map = modbus_mapping_new(0, 0, REGISTERS, 0);
    modbus_mapping_t* pages = modbus_mapping_new(0, 0, REGISTERS, 0);
    if (map == NULL || pages == NULL) return 2;
    for (int i = 0; i < IDENT_COUNT; ++i) {
        const size_t n = strlen(ident);
        const uint8_t hi = (size_t)(2 * i) < n ? (uint8_t)ident[2 * i] : 0;
        const uint8_t lo = (size_t)(2 * i + 1) < n ? (uint8_t)ident[2 * i + 1] : 0;
        map->tab_registers[IDENT_FIELD + i] = (uint16_t)(hi << 8 | lo);
    }
    if (parset1) load_words(map, PARSET1_FIELD, parset1);
    if (parset2) load_words(map, PARSET2_FIELD, parset2);
    if (events_file) events_length = read_file(events_file, events, sizeof events);
    dump(map);

    uint8_t query[MODBUS_TCP_MAX_ADU_LENGTH];
    if (rtu != NULL) {
        modbus_t* ctx = modbus_new_rtu(rtu, 115200, 'N', 8, 1);
        if (ctx == NULL || modbus_set_slave(ctx, address) != 0 || modbus_connect(ctx) != 0) {
            fprintf(stderr, "vesk_sim: %s\n", modbus_strerror(errno));
            return 1;
        }
        printf("READY\n");
        fflush(stdout);
        for (;;) {
            const int rc = modbus_receive(ctx, query);
            if (rc > 0) {
                serve(ctx, query, rc, map, pages);
            } else if (rc < 0 && errno < MODBUS_ENOBASE && errno != ETIMEDOUT) {
                break; /* the line itself went away */
            }
        }
        modbus_close(ctx);
        modbus_free(ctx);
    } else {
        modbus_t* ctx = modbus_new_tcp("127.0.0.1", port);
        if (ctx == NULL) return 2;
        int server = modbus_tcp_listen(ctx, 4);
        struct sockaddr_in addr;
        socklen_t len = sizeof addr;
        if (server < 0 || getsockname(server, (struct sockaddr*)&addr, &len) != 0) {
            fprintf(stderr, "vesk_sim: %s\n", modbus_strerror(errno));
            return 1;
        }
        printf("PORT %d\n", ntohs(addr.sin_port));
        fflush(stdout);
        /* One connection at a time: each one-shot call of the client opens its own. */
        uint8_t previous[MODBUS_TCP_MAX_ADU_LENGTH];
        int previous_length = 0;
        for (;;) {
            if (modbus_tcp_accept(ctx, &server) < 0) continue;
            int fresh = 1;
            for (;;) {
                const int rc = modbus_receive(ctx, query);
                if (rc < 0) break;
                if (rc == 0) continue;
                if (late && fresh && previous_length > 0) serve(ctx, previous, previous_length, map, pages);
                fresh = 0;
                serve(ctx, query, rc, map, pages);
                memcpy(previous, query, (size_t)rc);
                previous_length = rc;
            }
            modbus_close(ctx);
        }
    }
    modbus_mapping_free(pages);
    modbus_mapping_free(map);
    return 0;
}
