/* A Modbus RTU slave for the link tests: answers reads and writes of holding registers
 * on the serial device given on its command line. The identification registers
 * 0x0E78.. hold a known text. Once it listens it creates the ready file, so the test
 * does not send before anyone reads.
 *
 *   rtu_slave DEVICE READY_FILE [ADDRESS]
 */
#include <errno.h>
#include <fcntl.h>
#include <modbus.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#define IDENT_REGISTER 0x0E78
#define IDENT_COUNT 8
static const char ident_text[2 * IDENT_COUNT + 1] = "V3-RTU SLAVE 1.0";

int main(int argc, char** argv) {
    if (argc < 3) {
        fprintf(stderr, "usage: rtu_slave DEVICE READY_FILE [ADDRESS]\n");
        return 2;
    }
    const int address = argc > 3 ? atoi(argv[3]) : 31;
    modbus_t* ctx = modbus_new_rtu(argv[1], 9600, 'N', 8, 1);
    if (ctx == NULL) {
        fprintf(stderr, "rtu_slave: %s\n", modbus_strerror(errno));
        return 1;
    }
    modbus_mapping_t* map = modbus_mapping_new(0, 0, IDENT_REGISTER + IDENT_COUNT, 0);
    if (map == NULL || modbus_set_slave(ctx, address) != 0 || modbus_connect(ctx) != 0) {
        fprintf(stderr, "rtu_slave: %s\n", modbus_strerror(errno));
        return 1;
    }
    for (int i = 0; i < IDENT_COUNT; ++i)
        map->tab_registers[IDENT_REGISTER + i] =
            (uint16_t)((unsigned char)ident_text[2 * i] << 8 | (unsigned char)ident_text[2 * i + 1]);

    const int ready = open(argv[2], O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (ready < 0) {
        perror("rtu_slave: ready file");
        return 1;
    }
    close(ready);

    uint8_t query[MODBUS_RTU_MAX_ADU_LENGTH];
    for (;;) {
        const int rc = modbus_receive(ctx, query);
        if (rc > 0) {
            modbus_reply(ctx, query, rc, map);
        } else if (rc < 0 && errno < MODBUS_ENOBASE && errno != ETIMEDOUT) {
            /* The line itself failed (hang-up, closed device): nothing more will come. */
            fprintf(stderr, "rtu_slave: %s\n", modbus_strerror(errno));
            break;
        }
    }
    modbus_mapping_free(map);
    modbus_close(ctx);
    modbus_free(ctx);
    return 0;
}
