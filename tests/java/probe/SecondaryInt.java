package probe;

public class SecondaryInt {
    public static void main(String[] args) {}

    public static int secondaryMain(String[] args) {
        System.out.println("secondary int " + String.join("|", args));
        return -5 - args.length;
    }
}
